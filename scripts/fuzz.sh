#!/usr/bin/env bash
# Runs every libFuzzer program of build/fuzz for the given seconds (default
# 600) each, one after another, seeded from fuzz/corpus/<name>/. New inputs
# go to build/fuzz/corpus/<name>/; crashes to build/fuzz/findings/<name>/.
# A finding worth keeping is copied into fuzz/corpus/<name>/ so the replay
# tests check it from then on. Pass a name fragment to run only matching ones.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
filter=${2:-}
build=$root/build/fuzz
for f in "$build"/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  [ -z "$filter" ] || [[ "$name" == *"$filter"* ]] || continue
  mkdir -p "$build/corpus/$name" "$build/findings/$name"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$build/findings/$name/" "$build/corpus/$name" "${seeds[@]}" 2>&1 |
    grep -E '^(stat::|==|INFO: Seed|Done|SUMMARY)' || true
done
