#!/usr/bin/env bash
# Whole-process CPU per second of animation at 1920x1080 with 1000 dots, each
# on a private Xvfb, in one run: the Linux program sending a present the way
# it did before (one put request per changed rectangle), the way it does now
# (a banded clip list and one put), and xscreensaver's own `galaxy -root`
# beside them; with --wine also Corvalinth.scr under Wine. Prints CPU
# milliseconds per second (1000 = one core busy) for each program, its X
# server and, under Wine, the wineserver, over two spans from 1 s after the
# start: to 9 s (the swarm alone: the transition comes after 1000 ticks, at
# about 10 s) and to 14 s (a whole cycle: the swarm and one transition, whose
# slide moves the whole screen every frame whichever way dots are sent). The
# same program on Wayland beside them: it and headless sway (software
# compositing, as Xvfb's) on one 1920x1080 output. --wayland runs only that
# row and the banded X11 one beside it. Not a test.
#   bench/cpu.sh [--wine | --wayland]
set -euo pipefail
cd "$(dirname "$0")/.."
wine=0 only_wayland=0
[ "${1:-}" = "--wine" ] && wine=1
[ "${1:-}" = "--wayland" ] && only_wayland=1
start=1 swarm_end=9 cycle_end=14
size=1920x1080

scripts/install-deps.sh
# galaxy is one of xscreensaver's own programs; the bench alone needs it.
dpkg-query -W -f='${Status}' xscreensaver-data 2>/dev/null | grep -q 'install ok installed' || {
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq xscreensaver-data >/dev/null
}
galaxy=/usr/libexec/xscreensaver/galaxy
cmake --preset linux >/dev/null && cmake --build --preset linux --target corvalinth >/dev/null
if [ $wine -eq 1 ]; then
  cmake --preset windows >/dev/null && cmake --build --preset windows --target Corvalinth >/dev/null
fi
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

# Samples every pid given; prints "swarm cycle" ms-per-second pairs, pid by pid.
measure() {
  local pid at_start=() at_swarm=() at_cycle=() i
  sleep "$start"
  for pid in "$@"; do at_start+=("$(cpu_ticks "$pid")"); done
  sleep $((swarm_end - start))
  for pid in "$@"; do at_swarm+=("$(cpu_ticks "$pid")"); done
  sleep $((cycle_end - swarm_end))
  for pid in "$@"; do at_cycle+=("$(cpu_ticks "$pid")"); done
  for i in "${!at_start[@]}"; do
    awk -v a="${at_start[$i]}" -v b="${at_swarm[$i]}" -v c="${at_cycle[$i]}" -v hz="$hz" \
      -v s1=$((swarm_end - start)) -v s2=$((cycle_end - start)) \
      'BEGIN { printf "%.1f %.1f ", (b - a) * 1000 / hz / s1, (c - a) * 1000 / hz / s2 }'
  done
  echo
}

# Runs a command (with DISPLAY set) on its own Xvfb; prints its figures and the server's.
on_xvfb() {
  local fifo dir; dir=$(mktemp -d); fifo=$dir/displayfd; mkfifo "$fifo"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" 3>"$fifo" >/dev/null 2>&1 &
  local xvfb=$!
  local display; read -r -t 20 display <"$fifo"
  DISPLAY=:$display "$@" >/dev/null 2>&1 &
  local program=$!
  local figures; figures=$(measure "$program" "$xvfb")
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$dir"
  echo "$figures"
}

# Runs the program on its own headless sway (as nobody: sway refuses root);
# prints its figures and the compositor's.
on_sway() {
  local dir; dir=$(mktemp -d); chmod 755 "$dir"
  mkdir "$dir/runtime"; chown nobody:nogroup "$dir/runtime"; chmod 700 "$dir/runtime"
  printf 'xwayland disable\noutput HEADLESS-1 mode %s bg #336699 solid_color\n' "$size" >"$dir/config"
  env XDG_RUNTIME_DIR="$dir/runtime" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    setpriv --reuid=nobody --regid=nogroup --clear-groups sway -c "$dir/config" >/dev/null 2>&1 &
  local sway=$!
  for _ in $(seq 200); do [ -S "$dir/runtime/wayland-1" ] && break; sleep 0.1; done
  XDG_RUNTIME_DIR="$dir/runtime" WAYLAND_DISPLAY=wayland-1 "$@" >/dev/null 2>&1 &
  local program=$!
  local figures; figures=$(measure "$program" "$sway")
  kill "$program" "$sway" 2>/dev/null || true
  wait "$program" "$sway" 2>/dev/null || true
  rm -rf "$dir"
  echo "$figures"
}

wine_run() {
  local rig=$PWD/build/windows/rig-cpu
  trap 'scripts/rig/rig.sh stop "$rig" >/dev/null 2>&1 || true' RETURN
  eval "$(scripts/rig/rig.sh start "$rig" "$size")"
  # No settings file: 1000 coloured dots.
  wine build/windows/bin/Corvalinth.scr /s >/dev/null 2>&1 &
  local pid="" candidate
  for _ in $(seq 100); do
    for candidate in $(pgrep -f 'Corvalinth.scr' || true); do
      tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && pid=$candidate
    done
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "Corvalinth.scr did not start" >&2; return 1; }
  measure "$pid" "$(cat "$rig/xvfb.pid")" "$(cat "$rig/wineserver.pid")"
}

program=(build/linux/bin/corvalinth --geometry "$size" --count 1000)
e_p=0 e_pc=0 e_x=0 e_xc=0 g_p=0 g_pc=0 g_x=0 g_xc=0
[ $only_wayland -eq 1 ] || read -r e_p e_pc e_x e_xc < <(on_xvfb env CORVALINTH_PRESENT=each "${program[@]}")
read -r n_p n_pc n_x n_xc < <(on_xvfb "${program[@]}")
[ $only_wayland -eq 1 ] || read -r g_p g_pc g_x g_xc < <(on_xvfb "$galaxy" -root)
read -r w_p w_pc w_s w_sc < <(on_sway build/linux/bin/corvalinth --wayland --count 1000)
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a + b }'; }
row() { printf '%-36s %8s %8s %8s   %8s %8s %8s\n' "$@"; }
echo "CPU ms per second, ${size}, 1000 dots; the swarm (${start}-${swarm_end} s) | a whole cycle with the transition (${start}-${cycle_end} s):"
row "" program "X server" total program "X server" total
[ $only_wayland -eq 1 ] || row "corvalinth, a put per rectangle" "$e_p" "$e_x" "$(sum "$e_p" "$e_x")" "$e_pc" "$e_xc" "$(sum "$e_pc" "$e_xc")"
row "corvalinth, banded clip and one put" "$n_p" "$n_x" "$(sum "$n_p" "$n_x")" "$n_pc" "$n_xc" "$(sum "$n_pc" "$n_xc")"
[ $only_wayland -eq 1 ] || row "galaxy -root (xscreensaver)" "$g_p" "$g_x" "$(sum "$g_p" "$g_x")" "$g_pc" "$g_xc" "$(sum "$g_pc" "$g_xc")"
row "corvalinth on Wayland (+ sway)" "$w_p" "$w_s" "$(sum "$w_p" "$w_s")" "$w_pc" "$w_sc" "$(sum "$w_pc" "$w_sc")"
awk -v n="$(sum "$n_p" "$n_x")" -v e="$(sum "$e_p" "$e_x")" -v nc="$(sum "$n_pc" "$n_xc")" -v ec="$(sum "$e_pc" "$e_xc")" \
  'BEGIN { if (e > 0 && ec > 0) printf "banded / a put per rectangle (program + X server): %.2f the swarm, %.2f a whole cycle (goal: at most 0.6)\n", n / e, nc / ec }'
awk -v w="$(sum "$w_p" "$w_s")" -v n="$(sum "$n_p" "$n_x")" -v wc="$(sum "$w_pc" "$w_sc")" -v nc="$(sum "$n_pc" "$n_xc")" \
  'BEGIN { if (n > 0 && nc > 0) printf "Wayland / X11 (program + compositor or X server): %.2f the swarm, %.2f a whole cycle (goal: at most 1)\n", w / n, wc / nc }'
if [ $wine -eq 1 ]; then
  read -r w_p w_pc w_x w_xc w_s w_sc < <(wine_run)
  row "Corvalinth.scr under Wine" "$w_p" "$w_x" "$(sum "$w_p" "$w_x")" "$w_pc" "$w_xc" "$(sum "$w_pc" "$w_xc")"
  echo "wineserver: $w_s | $w_sc"
fi
