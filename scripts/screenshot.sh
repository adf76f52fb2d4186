#!/usr/bin/env bash
# Writes a picture (PNG) of every window of both programs, in German and in English and in every state the layout
# test brings the main window into, into one folder, for a person to look at. The layout test program opens the
# windows inside a Wine virtual desktop (so they have frames and title bars) and saves each one it judges.
#   scripts/screenshot.sh [build folder] [picture folder]
# Defaults: build/win64 and <build folder>/screenshots. The build folder must hold a built test_layout.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
out=${2:-$build/screenshots}
program="$build/tests/layout-program/test_layout.exe"
if [ ! -f "$program" ]; then
    echo "screenshot: $program is not built (cmake --build --preset win64)" >&2
    exit 1
fi
source "$root/scripts/wine-env.sh" "$build"
ostrel_wine_ready
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/*.bmp "$out"/*.png
# Windows paths of the picture folder and the program, through Wine's Z: drive.
export OSTREL_LAYOUT_SHOTS="Z:${out//\//\\}"
"$OSTREL_WINE64" explorer "/desktop=shots,${SHOT_SIZE:-1280x1024}" "Z:${program//\//\\}" </dev/null >"$out/layout-test.log" 2>&1 || true
count=0
for picture in "$out"/*.bmp; do
    [ -f "$picture" ] || continue
    convert "$picture" "${picture%.bmp}.png"
    rm -f "$picture"
    count=$((count + 1))
done
echo "$count pictures in $out (the layout test's own verdict is in layout-test.log)"
