#!/usr/bin/env bash
# End-to-end checks of the toolbar, the splash screen and the head-position
# bar of Morvane.exe under Wine and Xvfb:
#  - the splash window is there at start and gone a little after 3 seconds;
#  - with the printer disabled the print-action buttons are disabled, in the
#    dot-matrix emulation the pen buttons are; toolbar clicks change that;
#  - dragging the bar's marker moves the print line: the next text lands on
#    the chosen line (found on a screenshot of the original-size view), also
#    when the button is released outside the bar;
#  - below the bar the main window's background shows, not a stale strip.
# usage: bar-toolbar-e2e.sh BUILD_DIR   (the Windows build directory)
# Writes a screenshot to $MORVANE_SCREENS (default: the work directory's screens/)/toolbar.png.
set -u
build=$(cd "${1:?usage: bar-toolbar-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine xwd xwdtopnm pnmtopng python3 xdotool
need_display "$0" "$@"

exe=$build/src/app/Morvane.exe
probe=$build/tests/e2e/bar-probe.exe
peer=$build/tools/serial-peer.exe
setup=$(ls "$build"/tools/*/wine-printer-setup.exe 2>/dev/null | head -n 1)
for f in "$exe" "$probe" "$peer" "$setup"; do [ -f "$f" ] || fail "missing $f"; done

work=$build/bar-e2e
screens=${MORVANE_SCREENS:-$work/screens}
mkdir -p "$work" "$screens"
export CUPS_SERVER=/nonexistent.sock WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
# A prefix of its own: the checks make a default printer and end the Wine
# server at the end, which must not disturb tests sharing another prefix.
export WINEPREFIX=${BAR_E2E_WINEPREFIX:-$work/wineprefix} WINEARCH=win64
wine_prefix_ready || fail "wineboot"
# The program measures the default printer at its first repaint; without one
# it would stop at an error box. This printer writes to a file.
wine "$setup" "Morvane Bar File" "$work/job.ps" letter >/dev/null 2>&1 || fail "printer setup"

run=$work/run
rm -rf "$run" && mkdir -p "$run"
# Original size, dot-matrix emulation, printer disabled, serial line 7.
cat > "$run/Morvane.ini" <<INI
[Morvane]
left=40
top=40
width=600
height=500
lyn=7
com=0
printertype=0
printerview=1
printerenable=0
closedocument=0
INI

pid=
close_program_at_exit "$probe" close

p() { wine "$probe" "$@" | tr -d '\r'; }
shot() { xwd -root -silent | xwdtopnm 2>/dev/null > "$1"; }

# The watcher runs first: the splash window lives only about 3 seconds.
p watch-splash 60000 > "$work/splash.txt" &
watcher=$!
sleep 1
(cd "$run" && exec wine "$exe") &
pid=$!
p wait-window 60000 >/dev/null || fail "no main window"

# --- splash screen ---------------------------------------------------------
wait "$watcher" || fail "no splash window seen (or it never closed)"
read -r state sw sh shown_ms < "$work/splash.txt"
[ "$state" = shown ] || fail "no splash window"
[ "$sw" = 436 ] && [ "$sh" = 402 ] || fail "splash is ${sw}x${sh}, not the 436x402 picture"
[ "$shown_ms" -ge 2500 ] && [ "$shown_ms" -le 6000 ] || fail "splash shown for $shown_ms ms"
[ "$(p splash)" = none ] || fail "splash back after it closed"
echo "ok: splash shown ${sw}x${sh} for $shown_ms ms"

# --- enabled states --------------------------------------------------------
expect_enabled() {  # expect_enabled WHAT "ID=STATE ..."
  local ids got
  ids=$(echo "$2" | sed 's/=[01]//g')
  got=$(p enabled $ids)
  [ "$got" = "$2" ] || fail "$1: buttons are $got, expected $2"
  echo "ok: $1"
}
expect_enabled "printer off, dot-matrix" "2000=1 2001=0 2002=0 2003=1 2004=1 2005=1 2006=0 2007=0 2008=0 2009=0"
p click 2000; sleep 0.3
expect_enabled "printer on" "2001=1 2002=1 2006=0"
p click 2005; sleep 0.3
expect_enabled "plotter emulation" "2006=1 2007=1 2008=1 2009=1"
p click 2004; sleep 0.3
p click 2000; sleep 0.3
expect_enabled "back to printer off, dot-matrix" "2001=0 2002=0 2006=0 2009=0"

# --- tooltips and button frames ----------------------------------------------
tips=$(p tooltips)
[ "$tips" = "tools=10 background=0xFFFF80" ] || fail "tooltip window: $tips"
echo "ok: one tooltip window with ten tools"
shot "$work/buttons.ppm"
# Across the middle of a button, the two columns at each side: a raised
# frame is light on the left (3D light, highlight) and dark on the right
# (shadow, dark shadow), a sunken one the other way round, all in the
# system's 3D colours; a flat button shows only its face there.
edges() {  # edges ID -> the four colours left to right, as RRGGBB
  local x y w h
  read -r x y w h < <(p button-rect "$1")
  PYTHONPATH=$here python3 - "$work/buttons.ppm" "$x" $((y + h / 2)) "$w" <<'PY'
import sys
from dark_pixels import read_ppm
pixels, width, height, maxval = read_ppm(sys.argv[1])
size = 2 if maxval > 255 else 1
x, y, w = (int(v) for v in sys.argv[2:5])
def rgb(px):
    o = (y * width + px) * 3 * size
    return "%02X%02X%02X" % tuple(pixels[o + size * i] for i in range(3))
print(*(rgb(x + dx) for dx in (0, 1, w - 2, w - 1)))
PY
}
read -r light highlight shadow dark face < <(p syscolors)
[ "$(edges 2004)" = "$shadow $dark $light $highlight" ] || fail "the active emulation's button is not sunken: $(edges 2004)"
[ "$(edges 2005)" = "$light $highlight $shadow $dark" ] || fail "the other emulation's button is not raised: $(edges 2005)"
for id in 2001 2002 2006; do
  [ "$(edges $id)" = "$face $face $face $face" ] || fail "button $id has a frame with the printer off: $(edges $id)"
done
# The flat black pen shows its whole grey icon, at the size the button holds:
# as many pixels off the face as the 24-pixel picture has opaque ones.
read -r x y w h < <(p button-rect 2006)
drawn=$(($(python3 "$here/dark_pixels.py" "$work/buttons.ppm" "$x" "$y" $((x + w)) $((y + h)) "$face") * -1 + w * h))
opaque=$(python3 - "$here/../../res/toolbar/pen_grey.ico" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
for i in range(struct.unpack("<H", data[4:6])[0]):
    w, h, _, _, _, _, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
    if w != 24:
        continue
    mask = offset + 40 + 16 * 4 + h * ((w * 4 + 31) // 32 * 4)  # header, palette, colour rows
    row = (w + 31) // 32 * 4
    clear = sum(bin(data[mask + r * row + b]).count("1") for r in range(h) for b in range(w // 8))
    print(w * h - clear)
PY
)
[ "$drawn" = "$opaque" ] || fail "the pen button shows $drawn icon pixels, its 24-pixel icon has $opaque"
echo "ok: sunken, raised and flat buttons in the 3D colours, icons drawn whole"

# --- marker drag -------------------------------------------------------------
send() { printf "$1" | (cd "$run" && wine "$peer" --line 7 --drain --timeout 10) || fail "serial peer"; sleep 0.6; }
send 'XXXXXX\r\n'
send 'XXXXXX\r\n'
read -r bx by bw bh < <(p bar-rect)
read -r px py pw ph < <(p paper-rect)
shot "$work/before.ppm"

# Rows of dark text in the paper window and the marker's tip in the bar.
analyse() {
  PYTHONPATH=$here python3 - "$1" "$bx" "$by" "$bw" "$bh" "$px" "$py" "$pw" "$ph" <<'PY'
import sys
from dark_pixels import read_ppm
bx, by, bw, bh, px, py, pw, ph = map(int, sys.argv[2:])
pixels, width, height, maxval = read_ppm(sys.argv[1])
size = 2 if maxval > 255 else 1
def pixel(x, y):
    o = (y * width + x) * 3 * size
    return tuple(pixels[o + size * i] for i in range(3))  # the high byte of each channel
rows = [y for y in range(ph) if any(sum(pixel(px + x, py + y)) < 200 for x in range(0, min(pw, 300)))]
bands = []
for y in rows:
    if bands and y == bands[-1][1] + 1:
        bands[-1][1] = y
    else:
        bands.append([y, y])
grey = [y for y in range(bh) if pixel(bx + 1, by + y) == (0xC6, 0xC3, 0xC6)]
tip = (grey[0] + grey[-1]) // 2 if grey else -1
print(tip, " ".join(str(b[0]) for b in bands))
PY
}
read -r tip b0 b1 rest < <(analyse "$work/before.ppm")
[ -n "${b1:-}" ] && [ -z "${rest:-}" ] || fail "expected two text lines before the drag, found: $b0 ${b1:-} ${rest:-}"
lh=$((b1 - b0))
[ "$lh" -gt 4 ] || fail "line height $lh"
# The marker's tip is at the top of line 2's cell: 10 bar units above the
# paper window's row of the same sheet y, so line 2 on the paper is at tip - 10.
glyph=$((b0 - (tip - 10 - 2 * lh)))
[ "$glyph" -ge 0 ] && [ "$glyph" -lt "$lh" ] || fail "marker at bar y $tip does not point at line 2 (text at $b0, $b1)"
echo "ok: marker at bar y $tip for line 2 (line height $lh)"

target=6
p drag "$tip" $((target * lh + lh / 2)) >/dev/null || fail "drag"
sleep 0.4
send 'XXXXXX\r\n'
shot "$work/after.ppm"
read -r tip2 c0 c1 c2 rest < <(analyse "$work/after.ppm")
[ "$c0" = "$b0" ] && [ "$c1" = "$b1" ] || fail "earlier lines moved: $c0 $c1"
want=$((b0 + target * lh))
[ -n "${c2:-}" ] && [ -z "${rest:-}" ] || fail "expected a third text line, found: $c0 $c1 ${c2:-} ${rest:-}"
[ $((c2 - want)) -ge -1 ] && [ $((c2 - want)) -le 1 ] || fail "text after the drop at row $c2, expected line $target at $want"
[ $((tip2 - 10 - (target + 1) * lh)) -eq $((tip - 10 - 2 * lh)) ] || fail "marker at $tip2 after line $target"
echo "ok: dropped on line $target, next text at row $c2"

# A real drag (X pointer events) released over the paper window, outside the
# bar: the bar holds the mouse while dragging, so the drop still counts.
target2=10
xdotool mousemove $((bx + 2)) $((by + tip2)) mousedown 1
for y in $((target2 * lh - lh)) $((target2 * lh + lh / 2)); do
  xdotool mousemove $((bx + 2)) $((by + y)); sleep 0.1
done
xdotool mousemove $((px + 200)) $((by + target2 * lh + lh / 2)); sleep 0.1
xdotool mouseup 1
sleep 0.4
send 'XXXXXX\r\n'
shot "$work/outside.ppm"
read -r tip3 d0 d1 d2 d3 rest < <(analyse "$work/outside.ppm")
want=$((b0 + target2 * lh))
[ -n "${d3:-}" ] && [ -z "${rest:-}" ] || fail "expected a fourth text line, found: $d0 $d1 ${d2:-} ${d3:-} ${rest:-}"
[ $((d3 - want)) -ge -1 ] && [ $((d3 - want)) -le 1 ] || fail "text after a drop outside the bar at row $d3, expected line $target2 at $want"
echo "ok: a drag released outside the bar moves the print line to line $target2"

# Below the bar (as tall as the shown sheet plus 10) the main window shows
# its grey background: nothing is left of the bar's first, taller size.
strip=$(python3 "$here/dark_pixels.py" "$work/outside.ppm" "$bx" $((by + bh)) $((bx + bw)) $((by + bh + 8)) C6C3C6)
[ "$strip" = $((bw * 8)) ] || fail "below the bar: $strip of $((bw * 8)) pixels grey (a stale strip of the bar?)"
echo "ok: nothing of the bar below its height"

xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$screens/toolbar.png" 2>/dev/null
echo "screenshot: $screens/toolbar.png"
wine "$probe" close 20000 >/dev/null 2>&1
echo "all bar and toolbar checks passed"
