#!/usr/bin/env bash
# The Windows half of `make test`: the checks of the shipped 32-bit files that
# need no execution, then the Wine suite of each build chosen for this
# machine (scripts/wine-choice.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-choice.sh"
choose_wine_builds
echo "$wine_choice"

# The 32-bit program and DLL are what ships: their headers are checked on
# every machine, whether or not it can run them.
case " $wine_builds " in
  *" windows "*) ;;
  *) ctest --test-dir "$root/build/windows" --output-on-failure -L static ;;
esac
for b in $wine_builds; do
  ctest --test-dir "$root/build/$b" --output-on-failure
done
