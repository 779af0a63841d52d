#!/usr/bin/env bash
# Runs a Windows program under the test rig (starting the rig on first use).
#   wine-run.sh RIGDIR PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
rigdir=${1:?usage: wine-run.sh RIGDIR PROGRAM [ARGS...]}; shift
eval "$("$here/rig.sh" start "$rigdir")"
exec wine "$@"
