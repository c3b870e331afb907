#!/usr/bin/env bash
# Which Windows builds the suite and the demo run: forced by
# PARTSDL_WINE_ARCH, else by whether the 32-bit loader starts.
set -uo pipefail
. "$(dirname "$0")/../scripts/wine-choice.sh"
passed=0 failed=0
ok() { if [ "$2" = "$3" ]; then passed=$((passed + 1)); else echo "FAILED: $1: '$2' != '$3'"; failed=$((failed + 1)); fi; }

scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
printf '\x7fELF\x01\x01\x01' > "$scratch/i386-loader"   # a 32-bit ELF this test cannot start
chmod +x "$scratch/i386-loader"

PARTSDL_WINE32_PROBE=/bin/true PARTSDL_WINE_ARCH= choose_wine_builds
ok "a kernel that starts i386 runs both builds" "$wine_builds" "windows win64"
PARTSDL_WINE32_PROBE=$scratch/i386-loader PARTSDL_WINE_ARCH= choose_wine_builds
ok "a kernel that cannot runs the 64-bit build" "$wine_builds" "win64"
case "$wine_choice" in *"cannot start"*) r=said ;; *) r=silent ;; esac
ok "the line gives the reason" "$r" said
PARTSDL_WINE32_PROBE=$scratch/missing PARTSDL_WINE_ARCH= choose_wine_builds
ok "no 32-bit loader at all runs the 64-bit build" "$wine_builds" "win64"
for forced in win32:windows win64:win64 "both:windows win64"; do
  PARTSDL_WINE32_PROBE=$scratch/i386-loader PARTSDL_WINE_ARCH=${forced%%:*} choose_wine_builds
  ok "PARTSDL_WINE_ARCH=${forced%%:*}" "$wine_builds" "${forced#*:}"
done
PARTSDL_WINE_ARCH=win16 choose_wine_builds 2>/dev/null
ok "an unknown choice is refused" "$?" 2

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
