#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each over a copy of its seed corpus.
#
#   fuzz/run.sh [seconds]    seconds per target, default 20
#
# Build folder: $KL_FUZZ_BUILD_DIR, default build/build-fuzz in the repository. The committed
# corpus is never changed: each target works on a copy in a temporary folder. Fails when a target
# crashes, hangs, runs out of memory or trips a sanitizer; the input that did it is kept in
# <build folder>/artifacts and the report is printed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
seconds=${1:-20}
build=${KL_FUZZ_BUILD_DIR:-$repo/build/build-fuzz}

command -v clang++ >/dev/null || { echo "clang++ not found: run scripts/install-deps.sh" >&2; exit 1; }
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in jetsql convert; do
    mkdir -p "$work/$target/corpus" "$work/$target/artifacts"
    cp -r "$here/corpus/$target/." "$work/$target/corpus/"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
             -artifact_prefix="$work/$target/artifacts/" -print_final_stats=1)
    case $target in
        jetsql) options+=(-max_len=1024 -dict="$here/jetsql.dict") ;;
        convert) options+=(-max_len=256) ;;
    esac
    if "$build/fuzz_$target" "${options[@]}" "$work/$target/corpus" >"$work/$target/log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target/log")
        echo "fuzz_$target: ${runs:-?} inputs in ${seconds} s, no fault"
    else
        status=1
        mkdir -p "$build/artifacts"
        cp "$work/$target/artifacts/"* "$build/artifacts/" 2>/dev/null || true
        echo "fuzz_$target: FAULT (inputs kept in $build/artifacts)"
        grep -v -E '^#[0-9]+\s+(NEW|REDUCE|pulse|INITED)|^INFO:' "$work/$target/log" | tail -n 60
    fi
done
exit $status
