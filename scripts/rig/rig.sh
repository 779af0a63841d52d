#!/usr/bin/env bash
# The Wine test rig: a private Xvfb display, a private Wine prefix and one
# persistent wineserver, all recorded in a state folder so that they can be
# found by later test processes and stopped by their process ids.
#   rig.sh start DIR [WIDTHxHEIGHT]   start (idempotent), then print the env file
#   rig.sh stop DIR                   stop what start started
#   rig.sh env DIR                    print the env file of a running rig
# The folder's name picks a variant, so that each variant keeps its own display
# and prefix: "-dual" gives two monitors side by side (Xephyr with Xinerama
# nested in the Xvfb, a 1824x768 virtual screen), "-dpi<N>" a prefix whose
# displays run at N DPI (e.g. build/windows/rig-dual, build/windows/rig-dpi144).
set -euo pipefail
cmd=${1:?usage: rig.sh start|stop|env DIR}
dir=${2:?usage: rig.sh start|stop|env DIR}
geometry=${3:-${CORVALINTH_RIG_GEOMETRY:-1024x768}}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
envfile=$dir/env
rigname=$(basename "$dir")
dual=0; [[ $rigname == *-dual* ]] && dual=1
dpi=""; [[ $rigname =~ -dpi([0-9]+) ]] && dpi=${BASH_REMATCH[1]}

alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }
pid_of() { cat "$dir/$1.pid" 2>/dev/null || true; }

running() {
  [ -f "$envfile" ] && alive "$(pid_of xvfb)" && alive "$(pid_of wineserver)" &&
    { [ $dual -eq 0 ] || alive "$(pid_of xephyr)"; }
}

wine_env() {
  export WINEPREFIX=$dir/prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
}

# Starts an X server that tells its display number on fd 3; prints the display.
start_x() {
  local name=$1; shift
  local fifo=$dir/displayfd
  rm -f "$fifo"; mkfifo "$fifo"
  setsid "$@" -displayfd 3 -nolisten tcp -noreset 3>"$fifo" 9>&- >"$dir/$name.log" 2>&1 </dev/null &
  echo $! >"$dir/$name.pid"
  local display
  read -r -t 20 display <"$fifo" || { echo "rig: $name did not start" >&2; exit 1; }
  rm -f "$fifo"
  echo ":$display"
}

start_xvfb() {
  if [ $dual -eq 0 ]; then
    start_x xvfb Xvfb -screen 0 "${geometry}x24" >"$dir/display"
    return
  fi
  # Xvfb cannot lay screens side by side; Xephyr with Xinerama can, and without
  # RandR Wine takes the Xinerama screens as its monitors.
  local host; host=$(start_x xvfb Xvfb -screen 0 2048x1024x24)
  DISPLAY=$host start_x xephyr Xephyr +xinerama -extension RANDR \
    -screen 1024x768 -screen 800x600 >"$dir/display"
}

make_prefix() {
  [ -f "$WINEPREFIX/.corvalinth-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  wineboot -i >"$dir/wineboot.log" 2>&1 9>&- || true
  wineserver -w
  # No crash dialogs that would wait for a click nobody makes.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 9>&- || true
  # Without a window manager, unmanaged windows spare a wait of seconds on every
  # window that is hidden or destroyed.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&- || true
  if [ -n "$dpi" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 9>&- || true
  fi
  wineserver -w
  touch "$WINEPREFIX/.corvalinth-ready"
}

# Wine draws captions and frames itself with a face that has no Japanese glyphs;
# linking a CJK face to the system faces makes Japanese captions readable.
link_cjk_fonts() {
  [ -f "$WINEPREFIX/.corvalinth-fontlink" ] && return 0
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
      /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK JP' /f >/dev/null 2>&1 9>&- || true
  done
  wineserver -w
  touch "$WINEPREFIX/.corvalinth-fontlink"
}

start() {
  exec 9>"$dir/lock"
  flock 9
  if running; then cat "$envfile"; return 0; fi
  stop_processes
  start_xvfb
  export DISPLAY=$(cat "$dir/display")
  wine_env
  make_prefix
  link_cjk_fonts
  setsid wineserver -f -p >"$dir/wineserver.log" 2>&1 </dev/null 9>&- &
  echo $! >"$dir/wineserver.pid"
  # A first program makes the wineserver bring up its desktop and services.
  wine cmd /c exit >/dev/null 2>&1 9>&- || true
  cat >"$envfile" <<ENV
export DISPLAY=$DISPLAY
export WINEPREFIX=$WINEPREFIX
export WINEARCH=win64
export WINEDEBUG=$WINEDEBUG
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
ENV
  cat "$envfile"
}

stop_processes() {
  if [ -d "$dir/prefix" ]; then
    ( wine_env; wineserver -k >/dev/null 2>&1 || true )
  fi
  for name in wineserver xephyr xvfb; do
    local pid; pid=$(pid_of $name)
    if alive "$pid"; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do alive "$pid" || break; sleep 0.1; done
      alive "$pid" && kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/$name.pid"
  done
  rm -f "$envfile" "$dir/display"
}

case $cmd in
  start) start ;;
  stop) exec 9>"$dir/lock"; flock 9; stop_processes ;;
  env) running && cat "$envfile" ;;
  *) echo "usage: rig.sh start|stop|env DIR" >&2; exit 2 ;;
esac
