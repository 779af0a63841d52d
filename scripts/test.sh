#!/usr/bin/env bash
# Installs what is missing, builds the three targets and runs every test.
#   scripts/test.sh            everything
#   scripts/test.sh native     the portable code's unit and fuzz tests only
#   scripts/test.sh linux      the Linux program's tests on Xvfb, under xscreensaver and on headless sway only
#   scripts/test.sh windows    the Windows tests under Wine only
#   scripts/test.sh web        the web page (WebAssembly) under node and in headless Chromium only
# Extra arguments after -- go to ctest (e.g. -- -R Saver).
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}; [ $# -gt 0 ] && shift
[ "${1:-}" = "--" ] && shift

scripts/install-deps.sh

status=0
passed=0; failed=0
run_preset() {
  local preset=$1; shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  local log; log=$(mktemp)
  local rc=0
  ctest --preset "$preset" "$@" 2>&1 | tee "$log" || rc=$?
  [ "${PIPESTATUS[0]}" -eq 0 ] || rc=1
  local line; line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f)); failed=$((failed + f))
  else
    rc=1
  fi
  rm -f "$log"
  [ $rc -eq 0 ] || status=1
}

stop_rig() {
  local rig
  for rig in build/windows/rig build/windows/rig-*; do
    [ -d "$rig" ] && { scripts/rig/rig.sh stop "$rig" >/dev/null 2>&1 || true; }
  done
}

case $which in
  native) run_preset native "$@" ;;
  linux) run_preset linux "$@" ;;
  windows) trap stop_rig EXIT; run_preset windows "$@" ;;
  web) run_preset web "$@" ;;
  all) trap stop_rig EXIT; run_preset native "$@"; run_preset linux "$@"; run_preset windows "$@"; run_preset web "$@" ;;
  *) echo "usage: scripts/test.sh [all|native|linux|windows|web] [-- ctest args]" >&2; exit 2 ;;
esac

echo "Tests: $passed passed, $failed failed"
exit $status
