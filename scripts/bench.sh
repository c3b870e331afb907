#!/usr/bin/env bash
# Runs every benchmark: native Google Benchmark programs (build/native/bench/
# *_bench), Windows timing programs under Wine (build/windows/bench/
# *_bench.exe) and comparison scripts (bench/*.sh, which get the source and
# build folders as arguments). Pass a name fragment to run only matching ones.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
filter=${1:-}
native=$root/build/native
windows=$root/build/windows

matches() { [ -z "$filter" ] || [[ "$1" == *"$filter"* ]]; }

for b in "$native"/bench/*_bench; do
  [ -x "$b" ] && matches "$b" || continue
  echo "== $(basename "$b")"
  "$b"
done

ran_wine=0
for b in "$windows"/bench/*_bench.exe; do
  [ -f "$b" ] && matches "$b" || continue
  if [ $ran_wine = 0 ]; then "$root/scripts/wine.sh" start "$windows"; ran_wine=1; fi
  echo "== $(basename "$b") (Wine)"
  "$root/scripts/wine.sh" run "$windows" "$b"
done
[ $ran_wine = 0 ] || "$root/scripts/wine.sh" stop "$windows"

for s in "$root"/bench/*.sh; do
  [ -f "$s" ] && matches "$s" || continue
  echo "== $(basename "$s")"
  bash "$s" "$root" "$native" "$windows"
done
