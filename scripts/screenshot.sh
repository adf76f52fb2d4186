#!/usr/bin/env bash
# Takes a picture of a program's windows with frames and title bars: the program runs inside a Wine virtual
# desktop on the build folder's X server, and the whole screen is saved as PNG.
#   scripts/screenshot.sh <build folder> <out.png> <program.exe> [arguments...]
# Environment: SHOT_WAIT seconds to wait before the picture (default 6); SHOT_SIZE desktop size (1024x768).
# The gallery form of the GUI tests:
#   OSTREL_GUI_GALLERY_MS=15000 scripts/screenshot.sh build/gui gallery.png build/gui/tests/test_gui.exe \
#       --gtest_filter=GuiGallery.*
set -euo pipefail
build=${1:?build folder}
out=${2:?output png}
program=${3:?program}
shift 3
source "$(dirname "$0")/wine-env.sh" "$build"
ostrel_wine_ready
size=${SHOT_SIZE:-1024x768}
"$OSTREL_WINE64" explorer "/desktop=shot,$size" "$program" "$@" </dev/null >/dev/null 2>&1 &
runner=$!
sleep "${SHOT_WAIT:-6}"
xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "$size+0+0" +repage "$out"
# The program ends by itself (a test program's gallery has a time limit); wait for it so no desktop lingers.
wait "$runner" || true
echo "$out"
