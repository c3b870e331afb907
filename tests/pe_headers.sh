#!/usr/bin/env bash
# The built program and libraries are what the suite's folder takes:
# partsdl.exe a GUI program, UNLHA32.DLL a DLL exporting `Unlha` and
# FIGDRAW.dll one exporting its five entries, without stdcall decoration,
# all for the build's processor. Read from the PE headers with objdump, so
# no Windows program has to run.
#   pe_headers.sh OBJDUMP BIN_DIR i386|x86-64
set -uo pipefail
objdump=$1 bin=$2 arch=$3
case "$arch" in
  i386) format=pei-i386 magic='010b' ;;
  x86-64) format=pei-x86-64 magic='020b' ;;
  *) echo "unknown processor $arch"; exit 2 ;;
esac
failed=0
ok() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi; }

exe=$("$objdump" -p "$bin/partsdl.exe")
ok "partsdl.exe is $format" 'grep -q "file format $format" <<<"$exe"'
ok "partsdl.exe has the optional header magic $magic" 'grep -Eq "^Magic[[:space:]]+$magic" <<<"$exe"'
ok "partsdl.exe is a Windows GUI program" 'grep -Eq "^Subsystem[[:space:]]+00000002" <<<"$exe"'
ok "partsdl.exe is no DLL" '! grep -q "^[[:space:]]*DLL$" <<<"$exe"'

dll=$("$objdump" -p "$bin/UNLHA32.DLL")
ok "UNLHA32.DLL is $format" 'grep -q "file format $format" <<<"$dll"'
ok "UNLHA32.DLL has the optional header magic $magic" 'grep -Eq "^Magic[[:space:]]+$magic" <<<"$dll"'
ok "UNLHA32.DLL is a DLL" 'grep -q "^[[:space:]]*DLL$" <<<"$dll"'
# The export name table lists "[   n] Name"; the entry must be exactly Unlha.
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dll")
ok "UNLHA32.DLL exports Unlha undecorated" 'grep -Eq "\][[:space:]]+Unlha$" <<<"$exports"'
ok "UNLHA32.DLL exports no decorated Unlha" '! grep -q "Unlha@" <<<"$exports"'

fig=$("$objdump" -p "$bin/FIGDRAW.dll")
ok "FIGDRAW.dll is $format" 'grep -q "file format $format" <<<"$fig"'
ok "FIGDRAW.dll is a DLL" 'grep -q "^[[:space:]]*DLL$" <<<"$fig"'
fig_exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$fig")
for name in gmtg_oglini gmtg_zkimset gmtg_zkidrw gmtg_oglend vgzk_lstdll; do
  ok "FIGDRAW.dll exports $name undecorated" 'grep -Eq "\][[:space:]]+$name$" <<<"$fig_exports"'
done

echo "$((16 - failed)) passed, $failed failed"
[ "$failed" = 0 ]
