#!/usr/bin/env bash
# Collects the seed corpus of fuzz_jetsql from the program itself: runs the whole test suite
# with KNJIGE_LUMEN_SQL_LOG set, so that the engine logs every statement text it translates, and
# writes one file per distinct statement into fuzz/corpus/jetsql, named by its hash. The folder
# is rewritten: it then holds exactly the statements the program issues today.
#
#   fuzz/collect-corpus.sh [build folder...]    default build/ in the repository, built with
#                                               the tests (as ./test leaves it)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
[ $# -gt 0 ] || set -- "$repo/build"
out=$here/corpus/jetsql

log=$(mktemp)
trap 'rm -f "$log"' EXIT
for build in "$@"; do
    [ -f "$build/CTestTestfile.cmake" ] || { echo "no test suite in $build: run ./test" >&2; exit 1; }
    # The fuzz test itself is left out; a failing test still contributes its statements.
    KNJIGE_LUMEN_SQL_LOG=$log QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$build" -LE fuzz -j "$(nproc)" --timeout 300 >/dev/null ||
        echo "collect-corpus: some tests in $build failed; their statements count all the same" >&2
done

rm -rf "$out"
mkdir -p "$out"
count=0
while IFS= read -r -d '' statement; do
    name=$(printf '%s' "$statement" | sha1sum | cut -c1-16)
    printf '%s' "$statement" >"$out/$name"
    count=$((count + 1))
done < <(sort -z -u "$log")
echo "collect-corpus: $count statements in $out"
