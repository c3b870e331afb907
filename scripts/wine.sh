#!/usr/bin/env bash
# The Wine bench: a prefix of the build's own, code page 932, a Japanese font
# for "ＭＳ ゴシック", a virtual desktop, and Xvfb when there is no display.
#
#   scripts/wine.sh start BUILD_DIR      prefix, display and a persistent wineserver
#   scripts/wine.sh stop BUILD_DIR       ends them
#   scripts/wine.sh run BUILD_DIR PROG [ARGS...]   runs a Windows program
#   scripts/wine.sh env BUILD_DIR        prints the environment as export lines
#
# The build's own processor picks the loader: /usr/lib/wine/wine for the
# 32-bit build, /usr/lib/wine/wine64 for the 64-bit one. Both are called
# directly: Debian's `wine` wrapper takes the 32-bit loader whenever it is
# installed, also where the kernel cannot start it.
#
# `run` starts the bench itself when `start` was not called, so CTest can run
# any single Windows test on its own.
set -euo pipefail

cmd=${1:?command}; build=$(cd "${2:?build folder}" && pwd); shift 2

state="$build/wine"
if [ "$(cat "$build/windows-processor.txt" 2>/dev/null)" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
else
  export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
fi
server=/usr/lib/wine/wineserver
export WINEPREFIX="$state/prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
mkdir -p "$state"

# Runs one step of setting up the bench; a failure stops the script with the
# step and the command that failed, and what the command printed.
step() {
  local what=$1; shift
  if ! "$@" >"$state/step.log" 2>&1; then
    local status=$?
    echo "wine.sh: $what failed: '$*' exited with $status" >&2
    tail -n 20 "$state/step.log" >&2
    exit 1
  fi
}

display_up() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

start_xvfb() {
  local n=$((90 + RANDOM % 400))
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! > "$state/xvfb.pid"
  export DISPLAY=":$n"
  for _ in $(seq 50); do display_up && break; sleep 0.1; done
  if ! display_up; then
    echo "wine.sh: starting the display failed: 'Xvfb :$n' did not answer xdpyinfo" >&2
    exit 1
  fi
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
  "$WINELOADER" explorer.exe /desktop=Default,1200x1000 </dev/null >/dev/null 2>&1 &
  for _ in $(seq 150); do
    desktop_up && return 0
    sleep 0.1
  done
  echo "wine.sh: starting the virtual desktop failed: '$WINELOADER explorer.exe /desktop=Default,1200x1000' showed no window on $DISPLAY" >&2
  exit 1
}

reg_add() { step "writing the registry key $1 /v $3" "$WINELOADER" reg.exe add "$@" /f; }

ensure_prefix() {
  [ -f "$WINEPREFIX/.partsdl-ready" ] && return 0
  if ! "$WINELOADER" --version >/dev/null 2>&1; then
    echo "wine.sh: creating the prefix failed: the loader '$WINELOADER' cannot start on this machine" >&2
    exit 1
  fi
  # Prefix creation takes about 20 seconds the first time.
  step "creating the prefix $WINEPREFIX" "$WINELOADER" wineboot.exe -i
  step "waiting for the prefix to settle" "$server" -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine.sh: creating the prefix failed: '$WINELOADER wineboot.exe -i' left no $WINEPREFIX/system.reg" >&2
    exit 1
  fi
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
  step "waiting for the registry to be written" "$server" -w
  touch "$WINEPREFIX/.partsdl-ready"
}

case "$cmd" in
  start)
    # Tests get a display of their own, never the user's screen.
    if [ -f "$state/display" ]; then ensure_display; else start_xvfb; fi
    ensure_prefix
    # A server already running from the prefix set-up answers the same.
    "$server" -p >/dev/null 2>&1 || true
    ensure_desktop
    ;;
  stop)
    "$server" -k >/dev/null 2>&1 || true
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
    exec "$WINELOADER" "$prog" "$@"
    ;;
  env)
    ensure_display
    echo "export WINEPREFIX='$WINEPREFIX' WINEARCH=$WINEARCH WINELOADER=$WINELOADER WINEDEBUG='$WINEDEBUG' WINEDLLOVERRIDES='$WINEDLLOVERRIDES' LANG=$LANG LC_ALL=$LC_ALL DISPLAY=$DISPLAY"
    ;;
  *) echo "wine.sh: unknown command $cmd" >&2; exit 2 ;;
esac
