#!/usr/bin/env bash
# The Wine bench: a prefix of the build's own, code page 932, a Japanese font
# for "ＭＳ ゴシック", a virtual desktop, and Xvfb when there is no display.
#
#   scripts/wine.sh start BUILD_DIR      prefix, display and a persistent wineserver
#   scripts/wine.sh stop BUILD_DIR       ends them
#   scripts/wine.sh run BUILD_DIR PROG [ARGS...]   runs a Windows program
#   scripts/wine.sh env BUILD_DIR        prints the environment as export lines
#
# `run` starts the bench itself when `start` was not called, so CTest can run
# any single Windows test on its own.
set -euo pipefail

cmd=${1:?command}; build=$(cd "${2:?build folder}" && pwd); shift 2

state="$build/wine"
export WINEPREFIX="$state/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
mkdir -p "$state"

display_up() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

start_xvfb() {
  local n=$((90 + RANDOM % 400))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! > "$state/xvfb.pid"
  export DISPLAY=":$n"
  for _ in $(seq 50); do display_up && break; sleep 0.1; done
  echo ":$n" > "$state/display"
}

# The bench's own display when `start` made one; else the user's display;
# else a new Xvfb.
ensure_display() {
  if [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display"); export DISPLAY
    display_up && return 0
  fi
  display_up || start_xvfb
}

desktop_up() { xwininfo -root -tree 2>/dev/null | grep -q 'Wine desktop'; }

# The virtual desktop is started on its own, with its output going nowhere:
# left to the first program that opens a window, it would inherit that
# program's output pipe and keep it open, and CTest would wait on the pipe
# until the test's time-out.
ensure_desktop() {
  desktop_up && return 0
  wine explorer.exe /desktop=Default,1200x1000 </dev/null >/dev/null 2>&1 &
  for _ in $(seq 150); do
    desktop_up && return 0
    sleep 0.1
  done
  echo "wine.sh: the Wine desktop did not appear on $DISPLAY" >&2
  return 1
}

reg_add() { wine reg add "$@" /f >/dev/null 2>&1; }

ensure_prefix() {
  [ -f "$WINEPREFIX/.partsdl-ready" ] && return 0
  # Prefix creation takes about 20 seconds the first time.
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # The IPA font stands in for the fonts the dialogs name.
  for face in "ＭＳ ゴシック" "MS Gothic" "ＭＳ Ｐゴシック" "MS PGothic" "ＭＳ 明朝" "MS Mincho" "MS UI Gothic" "MS Shell Dlg"; do
    reg_add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAGothic
  done
  # Every program runs in one virtual desktop: Wine then draws captions and
  # manages the foreground itself, with or without a window manager.
  reg_add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default
  reg_add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1200x1000
  # A crash must fail a test, not wait for someone to close a dialog.
  reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  wineserver -w
  touch "$WINEPREFIX/.partsdl-ready"
}

case "$cmd" in
  start)
    # Tests get a display of their own, never the user's screen.
    if [ -f "$state/display" ]; then ensure_display; else start_xvfb; fi
    ensure_prefix
    wineserver -p >/dev/null 2>&1 || true
    ensure_desktop
    ;;
  stop)
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
      kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
      rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
  run)
    ensure_display
    ensure_prefix
    ensure_desktop
    prog=${1:?program}; shift
    exec wine "$prog" "$@"
    ;;
  env)
    ensure_display
    echo "export WINEPREFIX='$WINEPREFIX' WINEDEBUG='$WINEDEBUG' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' LANG=$LANG LC_ALL=$LC_ALL DISPLAY=$DISPLAY"
    ;;
  *) echo "wine.sh: unknown command $cmd" >&2; exit 2 ;;
esac
