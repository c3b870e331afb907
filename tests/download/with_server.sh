#!/usr/bin/env bash
# Runs a Windows program under the Wine bench with the stand-in download
# server behind WinINet's proxy setting, so the program keeps its built-in
# base URL. The program finds the server's catalogue folder, rules file and
# request log through DLTEST_ROOT, DLTEST_RULES and DLTEST_LOG (Windows
# paths) and may change the catalogue and the rules while it runs.
#   tests/download/with_server.sh SOURCE_DIR BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd); build=$(cd "${2:?build folder}" && pwd); shift 2

work=$(mktemp -d "${TMPDIR:-/tmp}/dlserver.XXXXXX")
# Both spellings of the maker's folder exist from the start: Wine finds an
# existing folder whatever its case, so a program that made one first would
# write the other's files into it.
mkdir -p "$work/root/newdownload/K-VAL/HDPARTS" "$work/root/newdownload/k-val/HDPARTS"
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$src/tools/download_server.py" --root "$work/root" --port 0 --rules "$work/rules.json" \
  --log "$work/requests.jsonl" --port-file "$work/port" >"$work/server.out" 2>"$work/server.err" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "with_server.sh: the server did not start" >&2; cat "$work/server.err" >&2; exit 1; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
export http_proxy="http://127.0.0.1:$(cat "$work/port")"
export DLTEST_ROOT=$(winpath "$work/root") DLTEST_RULES=$(winpath "$work/rules.json") DLTEST_LOG=$(winpath "$work/requests.jsonl")
status=0
"$src/scripts/wine.sh" run "$build" "$@" || status=$?
if [ $status != 0 ] && [ -s "$work/server.err" ]; then echo "server:"; cat "$work/server.err"; fi
exit $status
