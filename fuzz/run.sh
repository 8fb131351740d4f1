#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, one after another,
# each on one core.
#   fuzz/run.sh [SECONDS_PER_TARGET [TARGET...]]   (default 60 s; every target)
# fuzz_pipeline starts from the seeds the build makes and the kept corpus (fuzz/corpus/pipeline),
# with fuzz/pipeline.dict; what it finds is written to build-fuzz/fuzz_pipeline-crash-… (or
# leak-, timeout-, oom-) and its grown corpus stays in build-fuzz/corpus/fuzz_pipeline. The last
# lines of each log (executions, cov and ft figures, peak memory) are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_profile fuzz_names fuzz_fit fuzz_pipeline)
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DQUILLMORPH_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
mkdir -p "$build/corpus"
status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    inputs=("$build/corpus/$target")
    options=()
    if [ "$target" = fuzz_pipeline ]; then
        inputs+=(fuzz/corpus/pipeline "$build/fuzz/seeds/pipeline")
        # A hostile header must not make the engine allocate gigabytes; libvips' own threads
        # stay on this one core; a file that takes a minute is a hang. One job at a time in
        # a child process that goes on after a finding: a libvips worker thread that ends while
        # the leak check runs leaves GLib's per-thread slice cache (2032 bytes) looking leaked
        # now and then (docs/reliability.md); every finding is still written as an artifact.
        options=(-dict=fuzz/pipeline.dict -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=60
                 -max_len=65536 -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
        export VIPS_CONCURRENCY=1 LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0
    fi
    echo "== $target for ${seconds}s"
    log="$build/$target.log"
    if "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/$target-" "${options[@]}" "${inputs[@]}" >"$log" 2>&1; then
        true
    else
        status=1
    fi
    grep -E '^#[0-9]+ +(INITED|DONE)|^#[0-9]+: cov|stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|artifact' "$log" | tail -n 20 || true
    if ls "$build/$target-"* >/dev/null 2>&1; then
        echo "findings of $target:"
        ls -1 "$build/$target-"*
        status=1
    fi
done
exit $status
