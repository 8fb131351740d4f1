#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   fuzz/run.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DQUILLMORPH_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_profile fuzz_names fuzz_fit
mkdir -p "$build/corpus"
status=0
for target in fuzz_profile fuzz_names fuzz_fit; do
    mkdir -p "$build/corpus/$target"
    echo "== $target for ${seconds}s"
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/$target-" "$build/corpus/$target" 2>&1 |
            grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|crash-|Done'; then
        true
    fi
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit $status
