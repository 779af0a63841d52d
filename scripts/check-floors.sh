#!/usr/bin/env bash
# Fails when a source folder includes from a folder on a higher floor or from a
# neighbour listed after it: the folders below are listed ground first, and each
# may include only from itself and the folders before it.
set -euo pipefail
cd "$(dirname "$0")/../src"
floors=(core swarm forms config button password saver resources settings preview linux x11 web startup)
rank() { local i; for i in "${!floors[@]}"; do [ "${floors[$i]}" = "$1" ] && { echo "$i"; return; }; done; echo -1; }
status=0
while IFS=: read -r file _ include; do
  from=${file%%/*}
  to=$(sed -E 's/.*#include "([a-z0-9_]+)\/.*/\1/' <<<"$include")
  [ "$from" = "$to" ] && continue
  [[ $file == */* ]] || continue  # the programs' entry points sit above every floor
  rf=$(rank "$from"); rt=$(rank "$to")
  if [ "$rf" -lt 0 ] || [ "$rt" -lt 0 ] || [ "$rt" -gt "$rf" ]; then
    echo "$file: $from includes $to, which is not on a floor below it" >&2
    status=1
  fi
done < <(grep -rnE '#include "[a-z0-9_]+/' --include='*.cpp' --include='*.h' .| sed 's#^\./##')
[ $status -eq 0 ] && echo "floors: every include goes down"
exit $status
