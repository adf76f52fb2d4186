#!/usr/bin/env bash
# Sets up what is missing; checks every C++ file against .clang-format; builds and runs the window-free core's
# tests natively (sanitizers) and its fuzz targets for a few seconds each; builds both programs for x86_64 and i686,
# and runs every test under Wine.
# Ends with CTest's summary and a last line "N passed, M failed"; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Installs only what is missing; quick when everything is there.
./scripts/setup.sh

echo "== format"
./scripts/check-format.sh

echo "== core: native build and tests (clang, address and undefined-behaviour sanitizers)"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native
echo "== core: fuzz targets, a short smoke run each"
./tools/fuzz/run.sh "${OSTREL_FUZZ_SECONDS:-5}"

echo "== build: win64 (tested)"
cmake --preset win64 >/dev/null
cmake --build --preset win64
echo "== build: win32 (shipped 32-bit programs, compiled only)"
cmake --preset win32 >/dev/null
cmake --build --preset win32
./scripts/check-binaries.sh build/win64 pei-x86-64
./scripts/check-binaries.sh build/win32 pei-i386

echo "== tests"
source scripts/wine-env.sh "$root/build/win64"
trap ostrel_wine_stop EXIT
ostrel_wine_ready
log="$root/build/win64/ctest.log"
set +e
ctest --preset win64 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
set -e

summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
if [ -z "$summary" ]; then
    echo "0 passed, 1 failed"
    exit 1
fi
failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
echo "$((total - failed)) passed, $failed failed"
[ "$status" -eq 0 ] && [ "$failed" -eq 0 ]
