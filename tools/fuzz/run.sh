#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, address and undefined-behaviour sanitizers) and runs each
# for the given seconds (default 60), starting from its checked-in seeds (corpus/<name>). What a run finds beyond
# the seeds goes to build/fuzz/corpus/<name>; a crash or a broken property stops the run with the input saved as
# build/fuzz/crash-<name>-* and this script failing. Ends with one line per target: executions and the result.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-60}
targets=(zip_directory unzip_names unzip_inflate update_version drop_data doc_info forwarded_file lang_file)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null

summary=()
failed=0
for name in "${targets[@]}"; do
    work=build/fuzz/corpus/$name
    mkdir -p "$work"
    log=build/fuzz/$name.log
    set +e
    "build/fuzz/tools/fuzz/fuzz_$name" "$work" "tools/fuzz/corpus/$name" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="build/fuzz/crash-$name-" >"$log" 2>&1
    status=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ "$status" -eq 0 ]; then
        summary+=("fuzz $name: ${runs:-0} executions, no finding")
    else
        failed=$((failed + 1))
        summary+=("fuzz $name: FAILED after ${runs:-?} executions (see $log)")
        tail -n 30 "$log"
    fi
done
printf '%s\n' "${summary[@]}"
[ "$failed" -eq 0 ]
