#!/usr/bin/env bash
# Makes the README's Wayland picture, docs/wayland.png: the Linux program on
# headless sway (as nobody: sway refuses root) with two outputs side by side,
# each showing its own wallpaper, taken with grim after a few seconds of trails.
# Run by hand, not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null && cmake --build --preset linux --target corvalinth >/dev/null
dir=$(mktemp -d); chmod 755 "$dir"
trap 'kill "${program:-}" "${sway:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$dir"' EXIT
mkdir "$dir/runtime"; chown nobody:nogroup "$dir/runtime"; chmod 700 "$dir/runtime"
convert -size 1024x768 gradient:'#1d3b5a-#7fa7c9' "$dir/left.png"
convert -size 800x600 radial-gradient:'#8a6a3a-#3a2a1a' "$dir/right.png"
chmod 644 "$dir"/*.png
cat >"$dir/config" <<CONFIG
xwayland disable
output HEADLESS-1 mode 1024x768 position 0 0 bg $dir/left.png fill
output HEADLESS-2 mode 800x600 position 1024 0 bg $dir/right.png fill
CONFIG
env XDG_RUNTIME_DIR="$dir/runtime" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$dir/config" >/dev/null 2>&1 &
sway=$!
export XDG_RUNTIME_DIR=$dir/runtime WAYLAND_DISPLAY=wayland-1
for _ in $(seq 200); do [ -S "$dir/runtime/wayland-1" ] && break; sleep 0.1; done
swaymsg -s "$(ls "$dir"/runtime/sway-ipc.*)" create_output >/dev/null || true  # returns 1 even when it works
sleep 2  # the wallpapers
build/linux/bin/corvalinth --count 600 &
program=$!
sleep 4
mkdir -p docs
grim -t png - | convert - -background '#202020' -flatten -resize 900x -colors 128 -strip -define png:compression-level=9 docs/wayland.png
echo "wrote docs/wayland.png"
