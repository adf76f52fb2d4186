#!/usr/bin/env bash
# Draws the two programs' icons and writes them as .ico files with 16, 24, 32, 48 and 256 pixel images:
#   Ostrel.ico        a page with a folded corner and a red "PDF" band
#   Ostrel_Setup.ico  the same page with a cardboard box in front of its lower half
# The results are committed (app/main/Ostrel.ico, installer/setup/Ostrel_Setup.ico); run this only to change them.
#   tools/icons/make-icons.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The page, drawn at 256 pixels: sheet with a grey outline, the corner folded over, a few text lines, the band.
convert -size 256x256 xc:none \
    -fill white -stroke '#505050' -strokewidth 6 \
    -draw "polygon 44,12 164,12 220,68 220,244 44,244" \
    -fill '#d8d8d8' -draw "polygon 164,12 164,68 220,68" \
    -stroke '#9a9a9a' -strokewidth 8 \
    -draw "line 70,96 194,96" -draw "line 70,120 194,120" -draw "line 70,216 194,216" \
    -stroke none -fill '#c4161c' -draw "roundrectangle 24,136 236,200 14,14" \
    -fill white -font DejaVu-Sans-Bold -pointsize 58 -gravity north -annotate +0+138 'PDF' \
    "$work/page.png"

# The box: a cardboard carton with its lid flaps, in front of the page's lower right.
convert "$work/page.png" \
    -stroke '#5a3a12' -strokewidth 6 \
    -fill '#c98f45' -draw "polygon 104,150 244,150 244,250 104,250" \
    -fill '#e0aa62' -draw "polygon 104,150 136,112 252,112 244,150" \
    -fill '#a8732f' -draw "polygon 244,150 252,112 252,214 244,250" \
    -stroke '#7a5220' -strokewidth 10 -draw "line 174,150 174,250" \
    "$work/box.png"

for name in page box; do
    for size in 16 24 32 48; do
        convert "$work/$name.png" -filter Lanczos -resize ${size}x${size} "$work/$name-$size.png"
    done
done
convert "$work/page-16.png" "$work/page-24.png" "$work/page-32.png" "$work/page-48.png" "$work/page.png" \
    -depth 8 "$root/app/main/Ostrel.ico"
convert "$work/box-16.png" "$work/box-24.png" "$work/box-32.png" "$work/box-48.png" "$work/box.png" \
    -depth 8 "$root/installer/setup/Ostrel_Setup.ico"
echo "$root/app/main/Ostrel.ico"
echo "$root/installer/setup/Ostrel_Setup.ico"
