#!/bin/bash
# Extracts every archive of the LZH corpus with our library and compares the
# files with what Debian's lhasa extracts from the same archive: the same
# names (last path element, without case, as lhasa lowers MS-DOS names), the
# same bytes and the same last-write time. Hostile and special archives have
# their own expectations below. Nothing may appear outside each archive's
# own folder.
#   corpus_test.sh native <corpus> <work dir> <lzhtool>
#   corpus_test.sh wine   <corpus> <work dir> <windows build dir>
set -u
mode=$1 corpus=$(realpath -m "$2") work=$3 runner=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
[ -d "$corpus" ] || { echo "FAIL: the LZH corpus is missing at $corpus"; exit 1; }
command -v lhasa >/dev/null || { echo "FAIL: lhasa is not installed (scripts/install-deps.sh)"; exit 1; }

rm -rf "$work" && mkdir -p "$work/our" "$work/ref" || exit 1
started=$(date +%s)
mapfile -t archives < <(cd "$corpus" && find . -type f \( -name '*.lzh' -o -name '*.lzs' \) | sed 's|^\./||' | sort)
[ ${#archives[@]} -ge 90 ] || { echo "FAIL: only ${#archives[@]} archives in $corpus"; exit 1; }

# Archives whose right result is not lhasa's, with the files we expect
# (name=bytes, printf %b escapes; "-" for none): hostile names refused,
# truncated data and links not followed; h2_huge.lzh, whose 64-bit size
# header says 4 GiB and more (lhasa ignores it and writes 404 MiB); and
# h0_subdir.lzh, where lhasa stops at nameless directory entries that are
# followed by a sound file.
declare -A expected=([regression/badterm.lzh]="-" [regression/truncated.lzh]="-" [morphos_lha_2717/h2_huge.lzh]="-"
  [regression/symlink2.lzh]="passwd=this is bad\n" [regression/symlink3.lzh]="passwd=this is bad\n"
  [lha_unix114i/h0_subdir.lzh]="hello.txt=hello world\n")

if [ "$mode" = native ]; then
  for i in "${!archives[@]}"; do
    mkdir -p "$work/our/$i"
    "$runner" e "$corpus/${archives[$i]}" "$work/our/$i" > "$work/our/$i.report" 2>&1
  done
else
  winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }
  args=()
  for a in "${archives[@]}"; do args+=("$(winpath "$corpus/$a")"); done
  "$(dirname "$0")/../../scripts/wine.sh" run "$runner" "$runner/tests/corpus_run.exe" "$(winpath "$work/our")\\" \
    "${args[@]}" > "$work/our/reports.txt" 2>&1 ||
    { echo "FAIL: corpus_run did not run"; cat "$work/our/reports.txt"; exit 1; }
fi

stray=$(cd "$work" && find . -mindepth 1 ! -path './our' ! -path './our/*' ! -path './ref' ! -path './ref/*')
[ -z "$stray" ] || fail "written outside the folders: $stray"
odd=$(cd "$work/our" && find . -mindepth 2 ! -type f; find . -mindepth 3)
[ -z "$odd" ] || fail "not plain files in their folder: $odd"

listing() { (cd "$1" && find . -type f | sed 's|.*/||' | tr 'A-Z' 'a-z' | sort); }
file_for() { (cd "$1" && find . -type f | while read -r f; do
  [ "$(basename "$f" | tr 'A-Z' 'a-z')" = "$2" ] && echo "$1/$f"; done | head -1); }

for i in "${!archives[@]}"; do
  a=${archives[$i]} our=$work/our/$i ref=$work/ref/$i
  if [ -n "${expected[$a]+set}" ]; then
    want=${expected[$a]} name=${expected[$a]%%=*}
    if [ "$want" = "-" ]; then
      [ -z "$(ls -A "$our")" ] || fail "$a: expected no file, got $(ls -A "$our" | tr '\n' ' ')"
    elif [ "$(ls -A "$our")" != "$name" ] ||
         [ "$(cat "$our/$name"; echo x)" != "$(printf '%b' "${want#*=}"; echo x)" ]; then
      fail "$a: expected only $name with its bytes, got $(ls -A "$our" | tr '\n' ' ')"
    fi
    continue
  fi
  mkdir -p "$ref" && (cd "$ref" && lhasa xqf "$corpus/$a" > /dev/null 2>&1)
  if [ "$(listing "$ref")" != "$(listing "$our")" ]; then
    fail "$a: files differ: lhasa [$(listing "$ref" | tr '\n' ' ')] ours [$(listing "$our" | tr '\n' ' ')]"
    continue
  fi
  while read -r name; do
    theirs=$(file_for "$ref" "$name") ours=$(file_for "$our" "$name")
    cmp -s "$theirs" "$ours" || fail "$a: $name differs from lhasa's"
    # A member without a time gets the time of extraction from both.
    t1=$(stat -c %Y "$theirs") t2=$(stat -c %Y "$ours")
    [ "$t1" = "$t2" ] || { [ "$t1" -ge "$started" ] && [ "$t2" -ge "$started" ]; } ||
      fail "$a: $name has another time than lhasa's"
  done < <(listing "$ref")
done
echo "${#archives[@]} archives, $failures failures"
[ $failures -eq 0 ]
