#!/usr/bin/env bash
# Extraction side by side with Debian's lhasa: the parts index (6.8 MB,
# mostly zeros) and 64 MB of mixed data, each as -lh5- and -lh7- archives made
# by lzhtool. Prints the best of five wall-clock times of each, their ratio
# and the peak resident memory of both; then the same archives through
# UNLHA32.DLL under Wine when the Windows build is there.
#   lzh_extract.sh <source dir> <native build dir> [<windows build dir>]
set -euo pipefail
src=$1 native=$2 windows=${3:-}
tool=$native/archive/lzhtool
data=$native/bench/lzh_extract
[ -x "$tool" ] && [ -x "$native/bench/lzh_bench_data" ] || { echo "build lzhtool and lzh_bench_data first"; exit 1; }
command -v lhasa >/dev/null || { echo "lhasa is not installed"; exit 1; }

mkdir -p "$data"
[ -f "$data/MIXED.BIN" ] || "$native/bench/lzh_bench_data" "$data"
for m in 5 7; do
  [ -f "$data/index_lh$m.lzh" ] || "$tool" a -lh$m "$data/index_lh$m.lzh" "$data/TRBHN.DAT" >/dev/null
  [ -f "$data/mixed_lh$m.lzh" ] || "$tool" a -lh$m "$data/mixed_lh$m.lzh" "$data/MIXED.BIN" >/dev/null
done

now() { date +%s.%N; }
# Best of five runs of "$@" in a fresh folder; prints seconds.
best_time() {
  local best=
  for _ in 1 2 3 4 5; do
    rm -rf "$data/out" && mkdir "$data/out"
    local start end
    start=$(now)
    (cd "$data/out" && "$@" >/dev/null 2>&1)
    end=$(now)
    best=$(echo "$start $end ${best:-999}" | awk '{t = $2 - $1; print (t < $3 ? t : $3)}')
  done
  echo "$best"
}
peak_kb() {
  rm -rf "$data/out" && mkdir "$data/out"
  (cd "$data/out" && /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1)
}

printf '%-16s %10s %10s %10s %8s %12s %12s\n' archive packed lhasa_s ours_s ratio lhasa_peak ours_peak
for a in index_lh5 index_lh7 mixed_lh5 mixed_lh7; do
  archive=$data/$a.lzh
  theirs=$(best_time lhasa xqf "$archive")
  ours=$(best_time "$tool" e "$archive" .)
  cmp -s "$data/out/$( [ ${a%%_*} = index ] && echo TRBHN.DAT || echo MIXED.BIN)" \
    "$data/$( [ ${a%%_*} = index ] && echo TRBHN.DAT || echo MIXED.BIN)" || { echo "$a: wrong bytes"; exit 1; }
  printf '%-16s %10s %10.3f %10.3f %8.2f %10s KB %9s KB\n' "$a" "$(stat -c %s "$archive")" "$theirs" "$ours" \
    "$(echo "$theirs $ours" | awk '{print $1 / $2}')" "$(peak_kb lhasa xqf "$archive")" \
    "$(peak_kb "$tool" e "$archive" .)"
done

if [ -n "$windows" ] && [ -f "$windows/tests/corpus_run.exe" ]; then
  winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }
  "$src/scripts/wine.sh" start "$windows" >/dev/null
  for a in index_lh5 index_lh7 mixed_lh5 mixed_lh7; do
    rm -rf "$data/wine" && mkdir "$data/wine"
    start=$(now)
    "$src/scripts/wine.sh" run "$windows" "$windows/tests/corpus_run.exe" "$(winpath "$data/wine")\\" \
      "$(winpath "$data/$a.lzh")" >/dev/null
    end=$(now)
    echo "$start $end" | awk -v a="$a" '{printf "%-16s UNLHA32.DLL under Wine: %.3f s (with Wine start-up)\n", a, $2 - $1}'
  done
  "$src/scripts/wine.sh" stop "$windows" >/dev/null
fi
rm -rf "$data/out" "$data/wine"
