#!/usr/bin/env bash
# The program's first run under Wine against the stand-in server, beside a
# bare WinINet loop and curl over the same URLs: the walk back to 8 June
# 2005 with list files on five days until SELST, then the 2,000 previews of
# the newest list; once as the server answers here and once with 20 ms added
# to every answer, as over an internet link.
#
#   bench/list_walk.sh SOURCE_DIR NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd); windows=$(cd "${3:?windows build folder}" && pwd)
exe=$windows/bench/list_walk_timing.exe
[ -f "$exe" ] || { echo "list_walk.sh: build $exe first" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/walk-bench.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

first=10001 count=2000
python3 - "$work/root/newdownload" $first $count <<'PY'
import datetime, os, sys
root, first, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
os.makedirs(root + "/K-VAL/HDPARTS")
today = datetime.date.today()
for n, ago in enumerate((1, 40, 400, 2000, 5000)):
    day = today - datetime.timedelta(days=ago)
    text = "[INFO]\r\nTITLE=list %d\r\n[M]\r\n" % ago
    if n == 0:
        text += "".join("%d,0=p\r\n" % p for p in range(first, first + count))
    open(root + "/K-VAL/pvnbhn_lst%s.dat" % day.strftime("%y%m%d"), "wb").write(text.encode())
for p in range(first, first + count):
    folder = "%s/k-val/HDPARTS/PARTS%03d" % (root, (p - 1001) // 2000)
    os.makedirs(folder, exist_ok=True)
    open("%s/P%07d.BHN" % (folder, p), "wb").write(b"PT-V01" + os.urandom(4090))
PY

curl_ms() {
  local t0 t1; t0=$(date +%s%N)
  curl -s -x "$1" ${2:+--parallel --parallel-max 6} -K "$work/curl.cfg" >/dev/null 2>&1 || true
  t1=$(date +%s%N); echo $(((t1 - t0) / 1000000))
}
python3 - "$work/curl.cfg" <<'PY'
import datetime, sys
day, end = datetime.date.today(), datetime.date(2005, 6, 8)
with open(sys.argv[1], "w") as f:
    while day >= end:
        f.write('url = "http://maker.example/newdownload/K-VAL/pvnbhn_lst%s.dat"\noutput = "/dev/null"\n' % day.strftime("%y%m%d"))
        day -= datetime.timedelta(days=1)
PY

for latency in 0 20; do
  python3 "$src/tools/download_server.py" --root "$work/root" --latency-ms $latency \
    --port-file "$work/port$latency" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/port$latency" ] && break; sleep 0.05; done
  proxy=http://127.0.0.1:$(cat "$work/port$latency")
  out=$work/out$latency
  http_proxy=$proxy PARTSDL_BIN="Z:${windows//\//\\}\\bin\\" \
    "$src/scripts/wine.sh" run "$windows" "$exe" $first $count | tr -d '\r' >"$out" || { cat "$out"; exit 1; }
  get() { awk -v k="$1" '$1 == k { print $2 }' "$out"; }
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
  echo "latency ${latency} ms: walk of $(get walk_days) days to SELST: program $(get walk_program_ms) ms," \
    "bare loop $(get walk_loop_ms) ms (ratio $(ratio "$(get walk_program_ms)" "$(get walk_loop_ms)")), curl $(curl_ms "$proxy") ms," \
    "curl x6 $(curl_ms "$proxy" 6) ms"
  echo "latency ${latency} ms: $count previews: program $(get previews_program_ms) ms, bare loop $(get previews_loop_ms) ms" \
    "(ratio $(ratio "$(get previews_program_ms)" "$(get previews_loop_ms)"))"
  echo "latency ${latency} ms: working set $(get working_set_before_kb) KB when the dialog shows," \
    "$(get working_set_at_selection_kb) KB at SELST"
done
