#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from .clang-format; names each such file.
# `scripts/check-format.sh --fix` rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
bad=0
for f in "${files[@]}"; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        bad=$((bad + 1))
    fi
done
if [ "$bad" -ne 0 ]; then
    echo "$bad files differ from .clang-format (scripts/check-format.sh --fix rewrites them)"
    exit 1
fi
echo "format: every C++ file follows .clang-format"
