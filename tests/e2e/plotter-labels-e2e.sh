#!/usr/bin/env bash
# End-to-end check of Morvane.exe under Wine and Xvfb: plotter labels written
# downwards (Q1) and upwards (Q3) run the same way on paper as on the sheet.
# Wine turns text the other way round under the printer's y-up mapping; the
# program must make up for it. The sheet is read from a screenshot of the
# original-size view, the paper from the printed PostScript rendered at one
# pixel per 1/100 inch; both in page units.
# usage: plotter-labels-e2e.sh BUILD_DIR   (the Windows build directory)
set -u -o pipefail
build=$(cd "${1:?usage: plotter-labels-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine xwd xwdtopnm gs python3
need_display "$0" "$@"

desktop_e2e_start "$build" plotter-labels-e2e "Morvane Labels"

line=7
run=$work/run
rm -rf "$run" && mkdir -p "$run"
cat > "$run/Morvane.ini" <<INI
[Morvane]
left=0
top=0
width=900
height=700
lyn=$line
com=0
printertype=1
printerview=1
printerenable=1
closedocument=1
INI

pid=
close_program_at_exit "$driver" close
drive() { wine "$driver" "$@" | tr -d '\r'; }
send() { printf "$1" | wine "$peer" --line "$line" --drain --timeout 10 >/dev/null 2>&1 || fail "serial peer"; }

(cd "$run" && exec wine "$exe") &
pid=$!
drive wait-window 60000 >/dev/null || fail "no main window"
sleep 3.5  # the splash screen goes

# The origin is at page (25, 50); M300,-300 is page (275, 300), M600,-300 is
# page (525, 300). Each label's font is made after its Q line.
send '\033#M300,-300\r\nQ1\r\nPDOWNWARDS\r\nM600,-300\r\nQ3\r\nPUPWARDS\r\nQ0\r\n'
sleep 1
read -r px py pw ph < <(drive paper-rect) || fail "no paper window"
xwd -root -silent | xwdtopnm 2>/dev/null > "$work/sheet.ppm" || fail "screenshot"
command -v pnmtopng >/dev/null && pnmtopng "$work/sheet.ppm" > "$work/sheet.png" 2>/dev/null

send '\f'
end=$(($(date +%s) + 20))
until [ -s "$job" ]; do
  [ "$(date +%s)" -lt "$end" ] || fail "the page was not printed"
  sleep 0.2
done
sleep 0.5
gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r100 -dFirstPage=1 -dLastPage=1 \
  -sOutputFile="$work/paper.ppm" "$job" >/dev/null 2>&1 || fail "ghostscript cannot render $job"

# Dark pixels in a box of page units on the sheet (offset by the paper
# window's place on the screen) or on paper.
on_sheet() { python3 "$here/dark_pixels.py" "$work/sheet.ppm" $((px + $1)) $((py + $2)) $((px + $3)) $((py + $4)); }
on_paper() { python3 "$here/dark_pixels.py" "$work/paper.ppm" "$1" "$2" "$3" "$4"; }

for surface in sheet paper; do
  ink="on_$surface"
  down_below=$($ink 250 305 330 480)
  down_above=$($ink 250 120 330 295)
  up_above=$($ink 500 120 580 295)
  up_below=$($ink 500 305 580 480)
  [ "$down_below" -gt 30 ] && [ "$down_above" = 0 ] \
    || fail "$surface: the Q1 label does not run down from its point ($down_below dark pixels below, $down_above above; see $work)"
  [ "$up_above" -gt 30 ] && [ "$up_below" = 0 ] \
    || fail "$surface: the Q3 label does not run up from its point ($up_above dark pixels above, $up_below below; see $work)"
  echo "ok: $surface: Q1 runs down, Q3 runs up"
done

drive close 20000 >/dev/null || fail "the window did not close"
wait "$pid"
pid=
echo "all plotter label checks passed"
