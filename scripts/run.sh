#!/usr/bin/env bash
# Sets up what is missing, builds the x86_64 programs and runs the main job under Wine.
# The main program is not built yet, so for now the job is its conversion step alone: a sample PostScript file
# becomes a PDF through the Ghostscript console program at C:\gs\gs8.54\bin\gswin32c.exe, with the product's
# default PDF command line. The result is left in build/win64/run/out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Installs only what is missing; quick when everything is there.
./scripts/setup.sh

echo "== build: win64"
cmake --preset win64 >/dev/null
cmake --build --preset win64

build="$root/build/win64"
if [ ! -f "$build/platform/gswin32c/gswin32c.exe.so" ]; then
    echo "run: the Ghostscript console program stand-in was not built (needs winegcc on x86_64)" >&2
    exit 1
fi

echo "== Wine environment"
source scripts/wine-env.sh "$build"
trap ostrel_wine_stop EXIT
ostrel_wine_ready

run="$build/run"
mkdir -p "$run/in" "$run/out"
input="$run/in/Beispiel.ps"
output="$run/out/Beispiel.pdf"
rm -f "$output"
cat >"$input" <<'PS'
%!PS-Adobe-3.0
%%Title: Ostrel sample
%%Pages: 2
%%EndComments
/Helvetica findfont 36 scalefont setfont
%%Page: 1 1
72 700 moveto (Ostrel sample, page 1) show showpage
%%Page: 2 2
72 700 moveto (Ostrel sample, page 2) show showpage
%%EOF
PS

windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }
program='C:\gs\gs8.54\bin\gswin32c.exe'
switches=(-q -dNOPAUSE -dDOPDFMARKS -dBATCH -dAutoRotatePages=/PageByPage -sDEVICE=pdfwrite -dPDFSETTINGS=/default
          -r300 -dCompatibilityLevel=1.3)
out_switch="-sOutputFile=$(windows_path "$output")"
in_arg=$(windows_path "$input")

echo "== conversion"
echo "$program ${switches[*]} -sOutputFile=\"$(windows_path "$output")\" \"$in_arg\""
set +e
"$OSTREL_WINE64" "$program" "${switches[@]}" "$out_switch" "$in_arg" </dev/null
status=$?
set -e
if [ $status -ne 0 ] || [ ! -s "$output" ]; then
    echo "run: the conversion failed (exit code $status)" >&2
    exit 1
fi
pages=$(pdfinfo "$output" 2>/dev/null | sed -n 's/^Pages: *//p')
echo
echo "PDF written: $output ($pages pages)"
echo "Note: this is the conversion step only; the main program (Ostrel.exe) is not built yet."
