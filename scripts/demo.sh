#!/usr/bin/env bash
# make demo: the program under Wine over a sample program folder in
# build/demo/program. With a display it opens in a window for you to use;
# without one it walks through the main screens by itself and saves
# screenshots to build/demo/*.png.
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
