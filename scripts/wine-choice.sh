# Sourced by the Windows suite and the demo: which Windows builds run under
# Wine on this machine, and one line that says so and why.
#
# PARTSDL_WINE_ARCH=win32|win64|both forces the choice. Otherwise a machine
# whose kernel starts the 32-bit loader runs the 32-bit build (the program
# that ships) and the 64-bit build as well; one that cannot runs the 64-bit
# build only. The kernel's ability is found by starting the loader.
#
# Sets wine_builds (folder names under build/) and wine_choice (the line).

# The probe is the 32-bit loader itself; tests point it elsewhere.
i386_runs() { "${PARTSDL_WINE32_PROBE:-/usr/lib/wine/wine}" --version >/dev/null 2>&1; }

choose_wine_builds() {
  local forced=${PARTSDL_WINE_ARCH:-}
  case "$forced" in
    win32) wine_builds="windows"; wine_choice="Windows suite: 32-bit build under /usr/lib/wine/wine (PARTSDL_WINE_ARCH=win32)" ;;
    win64) wine_builds="win64"; wine_choice="Windows suite: 64-bit build under /usr/lib/wine/wine64 (PARTSDL_WINE_ARCH=win64)" ;;
    both) wine_builds="windows win64"; wine_choice="Windows suite: 32-bit build under /usr/lib/wine/wine, then 64-bit build under /usr/lib/wine/wine64 (PARTSDL_WINE_ARCH=both)" ;;
    "")
      if i386_runs; then
        wine_builds="windows win64"
        wine_choice="Windows suite: 32-bit build under /usr/lib/wine/wine, then 64-bit build under /usr/lib/wine/wine64 (this kernel starts 32-bit programs)"
      else
        wine_builds="win64"
        wine_choice="Windows suite: 64-bit build under /usr/lib/wine/wine64 only (this kernel cannot start the 32-bit loader /usr/lib/wine/wine)"
      fi
      ;;
    *) echo "PARTSDL_WINE_ARCH must be win32, win64 or both, not '$forced'" >&2; return 2 ;;
  esac
}
