#!/usr/bin/env bash
# Starts the bench's Wine virtual desktop before the first end-to-end case.
# Left to the first program that opens a window, the desktop process would
# inherit that test's output pipe and hold it open, so CTest would wait for
# the pipe until the test's time-out although the test had ended.
#
#   tests/e2e/start_desktop.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=${1:?source folder}; build=${2:?build folder}

eval "$("$source_dir/scripts/wine.sh" env "$build")"
desktop_up() { xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop'; }

desktop_up && exit 0
"$source_dir/scripts/wine.sh" run "$build" explorer.exe /desktop=Default,1200x1000 \
  </dev/null >/dev/null 2>&1 &
for _ in $(seq 150); do
  desktop_up && exit 0
  sleep 0.1
done
echo "start_desktop.sh: the Wine desktop did not appear on $DISPLAY" >&2
exit 1
