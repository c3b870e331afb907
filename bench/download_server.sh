#!/usr/bin/env bash
# The stand-in download server alone, with curl as a proxy client: 500
# requests on one kept-alive connection (nine in ten answered 404) and one
# 64 MB file, best of five runs each. The floor under the download worker's
# figures, which go through the same server.
#
#   bench/download_server.sh SOURCE_DIR [NATIVE_BUILD_DIR WINDOWS_BUILD_DIR]
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/dlserver-bench.XXXXXX")
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

dir=$work/root/newdownload/K-VAL
mkdir -p "$dir/HDPARTS"
printf 'list\r\n' >"$dir/pvnbhn_lst261206.dat"
head -c 67108864 /dev/zero >"$dir/HDPARTS/TRBHN.LZH"

python3 "$src/tools/download_server.py" --root "$work/root" --log "$work/requests.jsonl" \
  --port-file "$work/port" >/dev/null &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
proxy=http://127.0.0.1:$(cat "$work/port")
base=http://maker.example/newdownload/K-VAL

urls=()
for i in $(seq 500); do
  if [ $((i % 10)) = 0 ]; then urls+=("$base/pvnbhn_lst261206.dat"); else urls+=("$base/pvnbhn_lst$i.dat"); fi
done

# Best of five, in microseconds.
best() {
  local best=0 t0 t1
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N); "$@" >/dev/null; t1=$(date +%s%N)
    local us=$(((t1 - t0) / 1000))
    if [ $best = 0 ] || [ $us -lt $best ]; then best=$us; fi
  done
  echo $best
}
small=$(best curl -s -x "$proxy" "${urls[@]}" -o /dev/null)
big=$(best curl -s -x "$proxy" "$base/HDPARTS/TRBHN.LZH" -o /dev/null)
echo "500 requests, one connection: $((small / 1000)) ms ($((small / 500)) us each)"
echo "64 MB file: $((big / 1000)) ms ($((67108864 / big)) MB/s)"
