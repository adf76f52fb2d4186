#!/usr/bin/env bash
# Builds the x86_64 programs and the benchmark programs, then measures Ostrel.exe side by side with bare programs
# under the same Wine, several rounds interleaved, and prints one table (medians and ratios).
#   tools/bench/run.sh [rounds] [jobs] [files] [measure]
# defaults: 3 rounds, 100 one-page jobs, 10000 files, every measure; measure "start", "pane" or "pass" runs only that.
# OSTREL_EXE=<path> measures that Ostrel.exe (another build of it) instead of this tree's.
# Not part of the test suite: a full run takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
rounds=${1:-3}
jobs=${2:-100}
files=${3:-10000}
what=${4:-all}

cmake --preset win64 >/dev/null
targets=(gswin32c_bridge BenchDriver BareListView BareSplash BareMainWindow)
[ -n "${OSTREL_EXE:-}" ] || targets+=(Ostrel)
cmake --build --preset win64 -j8 --target "${targets[@]}" >/dev/null

build="$root/build/win64"
source scripts/wine-env.sh "$build"
ostrel_wine_ready

# Inside the prefix's drive C:, as a user's folders are: the trees treat the host's root drive (Z:) as a foreign one.
work="$WINEPREFIX/drive_c/ostrel-bench"
program="$work/program"
mkdir -p "$program" "$work/files"
cp -f "${OSTREL_EXE:-$build/app/Ostrel.exe}" "$program/Ostrel.exe"
cp -f "$root/lang/Deutsch.plf" "$root/lang/English.plf" "$program/"
# The large folder: empty files with names of the length a user's documents have.
if [ "$(find "$work/files" -maxdepth 1 -type f | wc -l)" -ne "$files" ]; then
    rm -rf "$work/files"
    mkdir -p "$work/files"
    (cd "$work/files" && seq -f 'Rechnung %05g vom Kunden.pdf' 1 "$files" | tr '\n' '\0' | xargs -0 touch)
fi

windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }
"$OSTREL_WINE64" "$build/tools/bench/BenchDriver.exe" 'C:\ostrel-bench\program' \
    "$(windows_path "$build/tools/bench")" 'C:\ostrel-bench' "$rounds" "$jobs" "$what" </dev/null \
    2> >(grep -v --line-buffered '^wine: Read access denied for device' >&2)
