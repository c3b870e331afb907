#!/usr/bin/env bash
# Layers point one way: a folder includes only from its own layer and the
# layers below it. Lowest first:
#   platform → suite → store, figure, catalogue, archive, download → flow
#   → resources, ui → app → tools → tests, bench, fuzz
# Prints each include that points up, and each header that brings in
# <windows.h> without _win in its name, and fails when there is one.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rank() {
  case "$1" in
    platform) echo 0 ;;
    suite) echo 1 ;;
    store | figure | catalogue | archive | download) echo 2 ;;
    flow) echo 3 ;;
    resources | ui) echo 4 ;;
    app) echo 5 ;;
    tools) echo 6 ;;
    tests | bench | fuzz) echo 7 ;;
    *) echo -1 ;;
  esac
}
bad=0 checked=0
cd "$root"
while IFS=: read -r file _ include; do
  from=${file%%/*}
  to=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^/"]+)\/.*/\1/' <<<"$include")
  [ "$to" = "$include" ] && continue   # an include without a folder: the same folder
  from_rank=$(rank "$from") to_rank=$(rank "$to")
  checked=$((checked + 1))
  if [ "$to_rank" -lt 0 ]; then
    echo "$file: includes $to/, a folder of no layer"
    bad=$((bad + 1))
  elif [ "$to_rank" -gt "$from_rank" ]; then
    echo "$file: $from/ includes from $to/, a higher layer"
    bad=$((bad + 1))
  fi
done < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.rc' | xargs grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+"')
# The portable core builds without <windows.h>: a header that brings it in
# says so in its name.
while read -r header; do
  echo "$header: includes a Windows header but its name does not end in _win.h"
  bad=$((bad + 1))
done < <(git ls-files --cached --others --exclude-standard '*.h' | grep -v '_win\.h$' |
         xargs grep -l -E '^[[:space:]]*#[[:space:]]*include[[:space:]]+<(windows|wininet|commdlg|shellapi|direct)\.h>')
echo "layers: $checked includes checked, $bad faults"
[ "$bad" = 0 ]
