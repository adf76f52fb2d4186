#!/usr/bin/env bash
# Sets up what is missing, builds the x86_64 programs and runs the main job under Wine: the shipped folder
# (build/win64/dist: Ostrel.exe, Ostrel_Setup.exe, UNZDLL.DLL, the language files and the manuals) copied into a
# program folder of its own (build/win64/run) with the MAPI32.DLL and pdftk.exe stand-ins, Ostrel.exe started
# with a sample PostScript file on its command line. In that mode the program converts the file into its output
# folder through the Ghostscript console program at C:\gs\gs8.54\bin\gswin32c.exe and ends. The result is left in
# build/win64/run/out.
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
for part in dist/Ostrel.exe platform/mapi32/MAPI32.DLL; do
    if [ ! -f "$build/$part" ]; then
        echo "run: $part was not built" >&2
        exit 1
    fi
done
mkdir -p "$run/in" "$run/out"
cp -f "$build"/dist/* "$run/"
cp -f "$build/platform/mapi32/MAPI32.DLL" "$run/MAPI32.DLL"
if [ -f "$build/platform/pdftk/pdftk.exe.so" ]; then
    cp -f "$build/platform/pdftk/pdftk.exe.so" "$run/pdftk.exe"
fi

windows_path() { local p="$1"; echo "Z:${p//\//\\}"; }
# The settings file names the two folders; everything else keeps the program's defaults (manual mode, PDF).
printf '[Verzeichnisse]\r\nEingabeverzeichnis=%s\r\nAusgabeverzeichnis=%s\r\n' \
    "$(windows_path "$run/in")" "$(windows_path "$run/out")" >"$run/Ostrel.ini"

input="$run/in/Beispiel.ps"
output="$run/out/Beispiel.pdf"
rm -f "$output"
cat >"$input" <<'PS'
%!PS-Adobe-3.0
%%Title: Ostrel sample
%%Creator: Ostrel run script
%%Pages: 2
%%EndComments
%%BeginProlog
/Helvetica findfont 36 scalefont setfont
%%EndProlog
%%Page: 1 1
72 700 moveto (Ostrel sample, page 1) show showpage
%%Page: 2 2
72 700 moveto (Ostrel sample, page 2) show showpage
%%EOF
PS

echo "== Ostrel.exe $(windows_path "$input")"
set +e
(cd "$run" && WINEDLLOVERRIDES="mapi32=n,b" "$OSTREL_WINE64" Ostrel.exe "$(windows_path "$input")" </dev/null)
status=$?
set -e
if [ $status -ne 0 ] || [ ! -s "$output" ]; then
    echo "run: the conversion failed (exit code $status)" >&2
    exit 1
fi
pages=$(pdfinfo "$output" 2>/dev/null | sed -n 's/^Pages: *//p')
echo
echo "PDF written: $output ($pages pages)"
echo "Program folder: $run (start Ostrel.exe there without an argument to use the main window)"
