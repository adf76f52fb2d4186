#!/usr/bin/env bash
# Checks that every program and library a build made is of the expected PE format (pei-x86-64 or pei-i386).
set -euo pipefail
build=$1
want=$2
found=0
while IFS= read -r exe; do
    format=$(x86_64-w64-mingw32-objdump -f "$exe" | sed -n 's/.*file format //p')
    if [ "$format" != "$want" ]; then
        echo "check-binaries: $exe is $format, expected $want" >&2
        exit 1
    fi
    found=$((found + 1))
done < <(find "$build" \( -iname '*.exe' -o -iname '*.dll' \) -not -path '*/wineprefix/*' -not -path '*/CMakeFiles/*' -not -path '*/platform/gswin32c/*' -not -path '*/platform/pdftk/*' -not -path "$build/run/*" -not -path "$build/scratch/*" -type f)
echo "check-binaries: $found programs in $build are $want"
