#!/usr/bin/env bash
# make demo: the program under Wine over a sample program folder in
# build/demo/program. With a display it opens in a window for you to use;
# without one it walks through the main screens by itself and saves
# screenshots to build/demo/*.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win="$root/build/windows"
demo="$root/build/demo"
program="$demo/program"

rm -rf "$program"
mkdir -p "$program"
cp "$win/bin/"* "$program/"
"$root/build/native/tools/make_sample_library" "$program"

windows_path() { printf 'Z:%s\\' "$(printf '%s' "$1" | tr '/' '\\')"; }

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the program over $program"
  cd "$program"
  exec "$root/scripts/wine.sh" run "$win" "$program/partsdl.exe"
fi

"$root/scripts/wine.sh" start "$win"
trap '"$root/scripts/wine.sh" stop "$win"' EXIT
rm -f "$demo"/*.bmp "$demo"/*.png
"$root/scripts/wine.sh" run "$win" "$win/tests/demo_tour.exe" \
  "$(windows_path "$program")" "$(windows_path "$demo")"
for shot in "$demo"/*.bmp; do
  convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
done
echo "Screenshots:"
ls -1 "$demo"/*.png
