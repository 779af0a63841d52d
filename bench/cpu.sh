#!/usr/bin/env bash
# Whole-process CPU per second of animation at 1920x1080 with 1000 dots, each
# on a private Xvfb, in one run: the Linux program sending a present the way
# it did before (one put request per changed rectangle), the way it does now
# (a banded clip list and one put), and xscreensaver's own `galaxy -root`
# beside them; with --wine also Corvalinth.scr under Wine. Prints CPU
# milliseconds per second (1000 = one core busy) for each program, its X
# server and, under Wine, the wineserver. Not a test.
#   bench/cpu.sh [SECONDS] [--wine]    (default 10; measured after 3 s of warming up)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=10 wine=0
for arg in "$@"; do
  case $arg in
    --wine) wine=1 ;;
    *) seconds=$arg ;;
  esac
done
warmup=3
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

# Samples every pid given for `seconds`; prints "ms-per-second" for each.
measure() {
  local pid before=() after=()
  sleep "$warmup"
  for pid in "$@"; do before+=("$(cpu_ticks "$pid")"); done
  sleep "$seconds"
  for pid in "$@"; do after+=("$(cpu_ticks "$pid")"); done
  local i
  for i in "${!before[@]}"; do
    awk -v a="${after[$i]}" -v b="${before[$i]}" -v hz="$hz" -v s="$seconds" \
      'BEGIN { printf "%7.1f ", (a - b) * 1000 / hz / s }'
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
read -r e_prog e_x < <(on_xvfb env CORVALINTH_PRESENT=each "${program[@]}")
read -r n_prog n_x < <(on_xvfb "${program[@]}")
read -r g_prog g_x < <(on_xvfb "$galaxy" -root)
echo "CPU ms per second of animation, ${size}, 1000 dots, ${seconds} s after ${warmup} s:"
row() { printf '%-36s %10s %10s %10s %12s\n' "$@"; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a + b }'; }
row "" program "X server" total wineserver
row "corvalinth, a put per rectangle" "$e_prog" "$e_x" "$(sum "$e_prog" "$e_x")" "-"
row "corvalinth, banded clip and one put" "$n_prog" "$n_x" "$(sum "$n_prog" "$n_x")" "-"
row "galaxy -root (xscreensaver)" "$g_prog" "$g_x" "$(sum "$g_prog" "$g_x")" "-"
awk -v n="$(sum "$n_prog" "$n_x")" -v e="$(sum "$e_prog" "$e_x")" \
  'BEGIN { if (e > 0) printf "banded / a put per rectangle (program + X server): %.2f (goal: at most 0.6)\n", n / e }'
if [ $wine -eq 1 ]; then
  read -r w_prog w_x w_server < <(wine_run)
  row "Corvalinth.scr under Wine" "$w_prog" "$w_x" "$(sum "$w_prog" "$w_x")" "$w_server"
fi
