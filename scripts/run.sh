#!/usr/bin/env bash
# Builds Corvalinth.scr if needed and runs it under Wine with the switches given.
#   scripts/run.sh /s                      on your X display ($DISPLAY)
#   scripts/run.sh --xvfb --screenshot shot.png --after 3 /s
#                                          on a private Xvfb; saves a screenshot
#                                          after 3 seconds, then ends the program
#   scripts/run.sh --web [port]            builds the web page and serves it on
#                                          http://127.0.0.1:port/ (default 8000)
set -euo pipefail
if [ "${1:-}" = "--web" ]; then
  cd "$(dirname "$0")/.."
  scripts/install-deps.sh
  cmake --preset web >/dev/null
  cmake --build --preset web >/dev/null
  # The site's own server: it sends the page's Content-Security-Policy as a header too.
  exec node scripts/web/serve.js build/web/site "${2:-8000}"
fi
xvfb=0; shot=""; after=3
while [ $# -gt 0 ]; do
  case $1 in
    --xvfb) xvfb=1; shift ;;
    --screenshot) shot=$(realpath -m -- "$2"); xvfb=1; shift 2 ;;  # against the caller's folder
    --after) after=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ -z "${DISPLAY:-}" ] && xvfb=1
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Corvalinth >/dev/null
scr=$PWD/build/windows/bin/Corvalinth.scr

if [ $xvfb -eq 0 ]; then
  export WINEPREFIX=$PWD/build/run-prefix WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
  exec wine "$scr" "$@"
fi

rig=$PWD/build/run-rig
trap 'scripts/rig/rig.sh stop "$rig" >/dev/null 2>&1 || true' EXIT
eval "$(scripts/rig/rig.sh start "$rig")"
if [ -z "$shot" ]; then
  wine "$scr" "$@"
  exit $?
fi
wine "$scr" "$@" &
pid=$!
sleep "$after"
import -display "$DISPLAY" -window root "$shot"
echo "screenshot: $shot"
kill "$pid" 2>/dev/null || true
wineserver -k >/dev/null 2>&1 || true
