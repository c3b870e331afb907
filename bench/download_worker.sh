#!/usr/bin/env bash
# The download worker under Wine against curl, side by side through the same
# stand-in server: a list walk of 500 requests (nine in ten answered 404)
# and one 64 MB file. The worker's walk is set against a bare loop of the
# same WinINet calls, which is the floor under Wine.
#
#   bench/download_worker.sh SOURCE_DIR NATIVE_BUILD_DIR WINDOWS_BUILD_DIR [ROUNDS]
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd); windows=$(cd "${3:?windows build folder}" && pwd)
rounds=${4:-5}
exe=$windows/bench/download_worker_bench.exe
[ -f "$exe" ] || { echo "download_worker.sh: build $exe first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/dlworker-bench.XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

dir=$work/root/newdownload/K-VAL
mkdir -p "$dir/HDPARTS" "$work/local"
for i in $(seq 10 10 500); do head -c 2048 /dev/urandom >"$dir/pvnbhn_lst$i.dat"; done
head -c 67108864 /dev/urandom >"$dir/HDPARTS/TRBHN.LZH"

python3 "$src/tools/download_server.py" --root "$work/root" --port-file "$work/port" >/dev/null &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
proxy=http://127.0.0.1:$(cat "$work/port")

export http_proxy=$proxy
export DLBENCH_DIR="Z:${work//\//\\}\\local\\"
"$src/scripts/wine.sh" run "$windows" "$exe" "$rounds" | tr -d '\r' >"$work/wine.out" || { cat "$work/wine.out"; exit 1; }
cmp -s "$dir/HDPARTS/TRBHN.LZH" "$work/local/TRBHN.LZH" || { echo "download_worker.sh: the worker's 64 MB file differs" >&2; exit 1; }
get() { awk -v k="$1" '$1 == k { print $2 }' "$work/wine.out"; }

base=http://maker.example/newdownload/K-VAL
urls=()
for i in $(seq 500); do urls+=("$base/pvnbhn_lst$i.dat" -o /dev/null); done
best_ms() {
  local best=0 t0 t1 ms
  for _ in $(seq "$rounds"); do
    t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [ $best = 0 ] || [ $ms -lt $best ]; then best=$ms; fi
  done
  echo $best
}
curl_walk=$(best_ms curl -s -x "$proxy" "${urls[@]}")
curl_big=$(best_ms curl -s -x "$proxy" "$base/HDPARTS/TRBHN.LZH" -o "$work/big")
# Peak resident set of curl, in KB.
curl_rss=$(python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], check=False)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' curl -s -x "$proxy" "$base/HDPARTS/TRBHN.LZH" -o "$work/big")

walk=$(get walk_worker_ms); loop=$(get walk_loop_ms); big=$(get big_worker_ms)
before=$(get peak_working_set_before_kb); after=$(get peak_working_set_after_kb)
echo "500 requests: worker $walk ms, bare WinINet loop $loop ms (best of $rounds each; median ratio of the rounds $(get walk_median_ratio)), curl $curl_walk ms"
echo "64 MB file:   worker $big ms, curl $curl_big ms (ratio $(awk -v a="$big" -v b="$curl_big" 'BEGIN { printf "%.2f", a / b }'))"
echo "peak memory:  worker process $before KB before the 64 MB file, $after KB after; curl $curl_rss KB"
