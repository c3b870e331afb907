#!/usr/bin/env bash
# Adding a maker's 2,000 fittings parts to 3DCAD under Wine against the
# stand-in server, every part present in the store in an older version:
# the time from 追加 to the last part installed beside a bare WinINet loop
# over the same files, the program's peak working set, and 中止 after it
# beside copying the 2,000 files with cp.
#
#   bench/add_parts.sh SOURCE_DIR NATIVE_BUILD_DIR WINDOWS_BUILD_DIR
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd); native=$(cd "${2:?native build folder}" && pwd)
windows=$(cd "${3:?windows build folder}" && pwd)
exe=$windows/bench/add_parts_timing.exe
[ -f "$exe" ] || { echo "add_parts.sh: build $exe first" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/add-bench.XXXXXX")
server=
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

first=10001 count=2000
program=$work/program root=$work/root
mkdir -p "$root/newdownload/K-VAL/HDPARTS" "$root/newdownload/k-val/HDPARTS"
"$native/tools/make_sample_library" "$program/" "$root/" --bulk $count
cp "$windows"/bin/*.exe "$windows"/bin/*.DLL "$program/"
# Each part lies in the store in an older version: the Add saves it aside
# and 中止 copies it back.
python3 - "$root/newdownload/k-val/HDPARTS" "$program/HDPARTS" <<'PY'
import os, shutil, sys
server, store = sys.argv[1], sys.argv[2]
for folder in os.listdir(server):
    os.makedirs(os.path.join(store, folder), exist_ok=True)
    for name in os.listdir(os.path.join(server, folder)):
        data = open(os.path.join(server, folder, name), "rb").read()
        open(os.path.join(store, folder, name), "wb").write(data + b"older")
PY
last=$(printf '%s/newdownload/k-val/HDPARTS/PARTS%03d/P%07d.BHN' "$root" $(((first + count - 1 - 1001) / 2000)) $((first + count - 1)))

python3 "$src/tools/download_server.py" --root "$root" --port-file "$work/port" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
winpath() { printf 'Z:%s' "${1//\//\\}"; }
out=$work/out
http_proxy=http://127.0.0.1:$(cat "$work/port") PARTSDL_BIN="$(winpath "$windows/bin/")" \
  "$src/scripts/wine.sh" run "$windows" "$exe" "$(winpath "$program/")" \
  "$(winpath "$program/HDPARTS/LST/pvnbhn_lst240501.dat")" $first $count "$(stat -c %s "$last")" |
  tr -d '\r' >"$out" || { cat "$out"; exit 1; }
get() { awk -v k="$1" '$1 == k { print $2 }' "$out"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
t0=$(date +%s%N)
cp -r "$root/newdownload/k-val/HDPARTS" "$work/copied"
cp_ms=$((($(date +%s%N) - t0) / 1000000))
echo "add of $count parts to the last one installed: program $(get add_program_ms) ms," \
  "bare loop $(get add_loop_ms) ms (ratio $(ratio "$(get add_program_ms)" "$(get add_loop_ms)")),"     "the loop into a folder of $count files $(get add_loop_full_folder_ms) ms (ratio $(ratio "$(get add_program_ms)" "$(get add_loop_full_folder_ms)"))"
echo "the \"追加\" message box after $(get add_message_ms) ms; the list's $count previews before it took $(get previews_ms) ms"
echo "peak working set of the program: $(get peak_working_set_kb) KB"
echo "中止 after it, to the program's end: $(get cancel_ms) ms; cp of the $count files: $cp_ms ms"
