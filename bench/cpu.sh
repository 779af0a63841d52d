#!/usr/bin/env bash
# Whole-process CPU per second of animation at 1920x1080 with 1000 dots: the
# Linux program beside Corvalinth.scr under Wine, each on a private Xvfb, in one
# run. Prints CPU milliseconds per second (1000 = one core busy) for the
# program, its X server and, under Wine, the wineserver. Not a test.
#   bench/cpu.sh [SECONDS]     (default 10; measured after 3 s of warming up)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
warmup=3
size=1920x1080

scripts/install-deps.sh
cmake --preset linux >/dev/null && cmake --build --preset linux --target corvalinth >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target Corvalinth >/dev/null

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

native() {
  local fifo dir; dir=$(mktemp -d); fifo=$dir/displayfd; mkfifo "$fifo"
  Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 "${size}x24" 3>"$fifo" >/dev/null 2>&1 &
  local xvfb=$!
  local display; read -r -t 20 display <"$fifo"
  DISPLAY=:$display build/linux/bin/corvalinth --geometry "$size" --count 1000 &
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

read -r n_prog n_x < <(native)
read -r w_prog w_x w_server < <(wine_run)
echo "CPU ms per second of animation, ${size}, 1000 dots, ${seconds} s after ${warmup} s:"
printf '%-28s %10s %10s %12s\n' "" program "X server" wineserver
printf '%-28s %10s %10s %12s\n' "corvalinth (native, Xlib)" "$n_prog" "$n_x" "-"
printf '%-28s %10s %10s %12s\n' "Corvalinth.scr under Wine" "$w_prog" "$w_x" "$w_server"
awk -v n="$n_prog" -v w="$w_prog" 'BEGIN { if (w > 0) printf "native / Wine (program): %.2f (goal: at most 0.33)\n", n / w }'
