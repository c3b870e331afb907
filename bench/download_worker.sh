#!/usr/bin/env bash
# The download worker under Wine against a bare sequential WinINet loop and
# curl, side by side through the same stand-in server, once as it answers
# on this machine and once with 20 ms added to every answer, as over a slow
# link: a catalogue walk of 7,850 list requests (one in thirty on the
# server, the rest 404) and 2,000 part files of 16 KB, and one 64 MB file.
#
#   bench/download_worker.sh SOURCE_DIR NATIVE_BUILD_DIR WINDOWS_BUILD_DIR [ROUNDS]
#
# ROUNDS (default 3) applies to the walk without added latency; the slow
# walk runs once (the bare loop alone takes over three minutes).
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd); windows=$(cd "${3:?windows build folder}" && pwd)
rounds=${4:-3}
exe=$windows/bench/download_worker_bench.exe
[ -f "$exe" ] || { echo "download_worker.sh: build $exe first" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/dlworker-bench.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/local"
python3 - "$work/root/newdownload" <<'PY'
import os, sys
root = sys.argv[1]
os.makedirs(root + "/K-VAL/HDPARTS")
for i in range(0, 7850, 30):
    open("%s/K-VAL/pvnbhn_lst%06d.dat" % (root, i), "wb").write(os.urandom(2048))
for i in range(2000):
    folder = "%s/k-val/HDPARTS/PARTS%03d" % (root, i // 100)
    os.makedirs(folder, exist_ok=True)
    open("%s/P%07d.BHN" % (folder, i), "wb").write(os.urandom(16384))
with open(root + "/K-VAL/HDPARTS/TRBHN.LZH", "wb") as f:
    for _ in range(64):
        f.write(os.urandom(1 << 20))
PY

# One server answering at once, one adding 20 ms to every answer.
for name in fast slow; do
  latency=0; [ $name = slow ] && latency=20
  python3 "$src/tools/download_server.py" --root "$work/root" --latency-ms $latency \
    --port-file "$work/$name.port" >/dev/null &
  pids+=($!)
done
for _ in $(seq 100); do [ -s "$work/fast.port" ] && [ -s "$work/slow.port" ] && break; sleep 0.05; done
fast=http://127.0.0.1:$(cat "$work/fast.port"); slow=http://127.0.0.1:$(cat "$work/slow.port")

export DLBENCH_DIR="Z:${work//\//\\}\\local\\"
http_proxy=$fast "$src/scripts/wine.sh" run "$windows" "$exe" "$rounds" | tr -d '\r' >"$work/fast.out" ||
  { cat "$work/fast.out"; exit 1; }
cmp -s "$work/root/newdownload/K-VAL/HDPARTS/TRBHN.LZH" "$work/local/TRBHN.LZH" ||
  { echo "download_worker.sh: the worker's 64 MB file differs" >&2; exit 1; }
cmp -s "$work/root/newdownload/k-val/HDPARTS/PARTS019/P0001999.BHN" "$work/local/P0001999.BHN" ||
  { echo "download_worker.sh: the worker's last part file differs" >&2; exit 1; }
http_proxy=$slow "$src/scripts/wine.sh" run "$windows" "$exe" 1 nobig | tr -d '\r' >"$work/slow.out" ||
  { cat "$work/slow.out"; exit 1; }
get() { awk -v k="$2" '$1 == k { print $2 }' "$work/$1.out"; }

# curl over the same URLs: one after another on one connection, and with
# six transfers at once (--parallel-max 6).
base=http://maker.example/newdownload
for i in $(seq 0 7849); do printf 'url = "%s/K-VAL/pvnbhn_lst%06d.dat"\noutput = "/dev/null"\n' "$base" "$i"; done >"$work/curl.cfg"
for i in $(seq 0 1999); do printf 'url = "%s/k-val/HDPARTS/PARTS%03d/P%07d.BHN"\noutput = "/dev/null"\n' "$base" $((i / 100)) "$i"; done >>"$work/curl.cfg"
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N); echo $(((t1 - t0) / 1000000)); }
curl_fast=$(ms curl -s -x "$fast" -K "$work/curl.cfg")
curl_fast6=$(ms curl -s -x "$fast" --parallel --parallel-max 6 -K "$work/curl.cfg")
curl_slow6=$(ms curl -s -x "$slow" --parallel --parallel-max 6 -K "$work/curl.cfg")
curl_big=$(ms curl -s -x "$fast" "$base/K-VAL/HDPARTS/TRBHN.LZH" -o "$work/big")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "walk of 9,850 requests, no added latency: worker $(get fast walk_worker_ms) ms," \
  "bare loop $(get fast walk_loop_ms) ms (best of $rounds; median ratio $(get fast walk_median_ratio))," \
  "curl $curl_fast ms, curl x6 $curl_fast6 ms"
echo "walk with 20 ms per answer: worker $(get slow walk_worker_ms) ms, bare loop $(get slow walk_loop_ms) ms" \
  "(ratio $(get slow walk_median_ratio)), curl x6 $curl_slow6 ms"
echo "working set: $(get fast working_set_start_kb) KB at the start; over the first walk $(get fast working_set_before_kb) KB before," \
  "$(get fast working_set_after_kb) KB after (peak $(get fast peak_working_set_after_kb) KB);" \
  "with latency $(get slow working_set_before_kb) -> $(get slow working_set_after_kb) KB"
echo "64 MB file: worker $(get fast big_worker_ms) ms, curl $curl_big ms" \
  "(ratio $(ratio "$(get fast big_worker_ms)" "$curl_big")); peak working set $(get fast peak_working_set_big_kb) KB"
