#!/usr/bin/env bash
# End-to-end expect of the Windows printer under Wine: makes a default printer
# that writes PostScript to a file, prints print_sample.exe's document, renders
# the first sheet at 100 dpi and checks where its dots landed.
# usage: printer_e2e.sh EMULATOR SETUP_EXE SAMPLE_EXE WORKDIR
set -u
emu=$1 setup=$2 sample=$3 work=$4
skip() { echo "skipped: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
command -v gs >/dev/null || skip "ghostscript is not installed"
command -v wine >/dev/null || skip "wine is not installed"

mkdir -p "$work"
export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
if [ -z "${WINEPREFIX:-}" ]; then
  # Never touch the user's own prefix: make a private one once.
  export WINEPREFIX=$work/wineprefix WINEARCH=win64
  [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || fail "wineboot"
fi

out=$work/job.ps
rm -f "$out"
"$emu" "$setup" "Morvane File" "$out" letter || fail "printer setup"
read -r dpi_x dpi_y off_x off_y < <("$emu" "$sample" | tr -d '\r') || fail "print_sample"
[ -s "$out" ] || fail "no PostScript file at $out"
[ "$(head -c 4 "$out")" = "%!PS" ] || fail "output is not PostScript"
pages=$(grep -c '^%%Page:' "$out")
[ "$pages" = 2 ] || fail "expected 2 sheets, found $pages"

ppm=$work/sheet1.ppm
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r100 -dFirstPage=1 -dLastPage=1 \
  -sOutputFile="$ppm" "$out" || fail "ghostscript"
# P6 header: magic, comments, "width height", maxval; the dots follow.
read -r header width height < <(head -c 512 "$ppm" | LC_ALL=C awk '
  { len += length($0) + 1; if ($0 !~ /^#/) { n++; if (n == 2) dims = $0 } }
  n == 3 { print len, dims; exit }')
[ "$width" = 850 ] && [ "$height" = 1100 ] || fail "sheet is ${width}x${height}, not Letter"

# Page units count from the sheet's corner on paper as on screen: at 100 dpi
# a page position is the same pixel of the rendered sheet.
dx=0
dy=0
dark() {  # dark X Y: page position (X, Y) is black on the rendered sheet
  local off=$((header + ((($2 + dy) * width) + $1 + dx) * 3))
  local v
  v=$(od -An -tu1 -j "$off" -N3 "$ppm" | awk '{print ($1 + $2 + $3 < 192) ? 1 : 0}')
  [ "$v" = 1 ]
}
near() {  # near X Y WHAT: black at (X, Y) or one unit lower (the driver's rounding)
  dark "$1" "$2" || dark "$1" $(($2 + 1)) || fail "$3: nothing black at ($1, $2)"
}
expect() {  # expect black|white X Y WHAT
  if dark "$2" "$3"; then got=black; else got=white; fi
  [ "$got" = "$1" ] || fail "$4: ($2, $3) is $got"
}
# Wine's PostScript driver widens and lowers images and lines by a device
# pixel or two (a third of a page unit each): edges get a unit to spare.
expect black 101 201 "block near its top-left"
expect black 198 206 "block near its bottom-right"
expect white 98 204 "left of block"
expect white 202 204 "right of block"
expect white 150 198 "above block"
expect white 150 210 "below block"
# Bit 7 is the top dot: the strip of 0x80 columns is one dot high, at the top.
near 120 300 "top-row strip, first row"
for row in 303 305 307 309; do expect white 120 "$row" "top-row strip below its first row"; done
expect white 142 300 "right of top-row strip"
near 301 500 "line start"
near 598 500 "line end"
expect white 450 497 "above line"
expect white 450 503 "below line"
echo "printer end-to-end: 2 sheets, dots at their page positions"
