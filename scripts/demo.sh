#!/usr/bin/env bash
# make demo: the program under Wine over a sample program folder in
# build/demo/program. With a display it opens in a window for you to use;
# without one it walks through the main screens by itself and saves
# screenshots to build/demo/*.png, copied to docs/screens/ for the guides.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The 32-bit program where this machine runs it, else the 64-bit build.
. "$root/scripts/wine-choice.sh"
choose_wine_builds
set -- $wine_builds
win="$root/build/$1"
echo "${wine_choice/Windows suite/Demo}; the demo runs build/$1"
demo="$root/build/demo"
program="$demo/program"
catalogue="$demo/catalogue"

rm -rf "$program" "$catalogue"
mkdir -p "$program"
cp "$win/bin/"* "$program/"
# A sample library, and on the stand-in server a few weeks of list files,
# the parts archive and the part data the tour adds.
"$root/build/native/tools/make_sample_library" "$program" "$catalogue" --figures

# The newest list file comes slowly, so the walk's progress can be seen.
newest="/newdownload/K-VAL/pvnbhn_lst$(date -d '1 day ago' +%y%m%d).dat"
printf '{"%s": {"chunk_size": 24, "pause_ms": 150}}\n' "$newest" > "$demo/rules.json"
python3 "$root/tools/download_server.py" --root "$catalogue" --port 0 --rules "$demo/rules.json" \
  --port-file "$demo/server.port" --log "$demo/requests.jsonl" >/dev/null 2>"$demo/server.err" &
server=$!
stop_all() {
  kill "$server" 2>/dev/null || true
  [ -z "${bench_started:-}" ] || "$root/scripts/wine.sh" stop "$win"
}
trap stop_all EXIT
rm -f "$demo/server.port"
for _ in $(seq 100); do [ -s "$demo/server.port" ] && break; sleep 0.05; done
[ -s "$demo/server.port" ] || { echo "demo: the download server did not start" >&2; cat "$demo/server.err" >&2; exit 1; }
# WinINet sends every request to the stand-in server, the built-in host
# name unchanged.
export http_proxy="http://127.0.0.1:$(cat "$demo/server.port")"

windows_path() { printf 'Z:%s\\' "$(printf '%s' "$1" | tr '/' '\\')"; }

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the program over $program (server $http_proxy)"
  cd "$program"
  "$root/scripts/wine.sh" run "$win" "$program/partsdl.exe"
  exit
fi

"$root/scripts/wine.sh" start "$win"
bench_started=1
rm -f "$demo"/*.bmp "$demo"/*.png
"$root/scripts/wine.sh" run "$win" "$win/tests/demo_tour.exe" \
  "$(windows_path "$program")" "$(windows_path "$demo")"
# Without time stamps, so that the same screens give the same files.
for shot in "$demo"/*.bmp; do
  convert "$shot" -strip "${shot%.bmp}.png" && rm -f "$shot"
done
# The user guides show them from docs/screens/.
mkdir -p "$root/docs/screens"
cp "$demo"/*.png "$root/docs/screens/"
echo "Screenshots (copied to docs/screens/):"
ls -1 "$demo"/*.png
