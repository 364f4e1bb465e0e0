#!/usr/bin/env bash
# End-to-end checks of printing from Morvane.exe under Wine and Xvfb, and of
# running it well under Wine:
#  - the "Printing" progress window is owned by the main window, opens centred
#    on it and takes the focus from nobody;
#  - "Abort printing" under a driver that cannot cancel (Wine's PostScript
#    driver) tells the user so, and the next page goes into a new document;
#  - the README's font replacement gives "Courier New" a fixed-pitch face.
# usage: printing-e2e.sh BUILD_DIR   (the Windows build directory)
set -u -o pipefail
build=$(cd "${1:?usage: printing-e2e.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-prefix.sh"
need_tools wine
need_display "$0" "$@"

# A prefix of its own: the last check changes its font settings.
desktop_e2e_start "$build" printing-e2e "Morvane Print File"

run=$work/run
rm -rf "$run" && mkdir -p "$run"
# One document for several pages: the progress window stays while it is open.
cat > "$run/Morvane.ini" <<INI
[Morvane]
left=60
top=60
width=600
height=450
lyn=3
com=0
printerenable=1
closedocument=0
INI

pid=
close_program_at_exit "$probe" close-main

p() { wine "$probe" "$@" | tr -d '\r'; }
boxes() { wine "$driver" boxes | tr -d '\r'; }
send() { printf "$1" | wine "$peer" --line 3 --drain --timeout 10 >/dev/null 2>&1 || fail "serial peer"; }
pages_in_job() { grep -c '^%%Page:' "$job" 2>/dev/null; }
progress_shown() { [ "$(p text Morvane 1083 2>/dev/null)" = "Abort printing" ]; }
box_says() { boxes | grep -q "$1"; }

(cd "$run" && exec wine "$exe") &
pid=$!
title=$(p wait-window 60000) || fail "no main window"
sleep 3.5  # the splash screen goes
[ "$(p active)" = "$title" ] || fail "the main window is not active at start: $(p active)"

# --- the progress window ----------------------------------------------------
rm -f "$job"
send 'PAGE ONE\r\n\f'
wait_until 15 "the progress window of the open document" progress_shown
read -r dx dy owner < <(p placement Morvane)
[ "$owner" = "$title" ] || fail "the progress window is owned by '$owner'"
[ "${dx#-}" -le 1 ] && [ "${dy#-}" -le 1 ] || fail "the progress window is off the main window's centre by $dx, $dy"
[ "$(p active)" = "$title" ] || fail "printing took the focus: $(p active) is active"
send 'PAGE TWO\r\n\f'
sleep 1
[ "$(p active)" = "$title" ] || fail "the second page took the focus: $(p active) is active"
echo "ok: progress window owned by the main window, centred on it, focus left alone"

# --- Abort printing ------------------------------------------------------------
p click Morvane 1083
wait_until 10 "the message that the document was not cancelled" box_says "could not cancel"
wine "$driver" close-boxes >/dev/null 2>&1
wait_until 5 "the message box to close" sh -c "! wine '$driver' boxes | grep -q 'could not cancel'"
progress_shown && fail "the progress window stayed after Abort printing"
[ "$(pages_in_job)" = 2 ] || fail "the uncancelled document holds $(pages_in_job) pages, expected 2"
rm -f "$job"
send 'PAGE THREE\r\n\f'
wait_until 15 "a new document for the next page" progress_shown
p command 40013  # Close document now
wait_until 15 "the new document" test -s "$job"
sleep 0.5
[ "$(pages_in_job)" = 1 ] || fail "the document after the abort holds $(pages_in_job) pages, expected 1"
echo "ok: a refused cancel is told, and the next page starts a new document"

p close-main 20000 || fail "main window did not close"
wait "$pid"
pid=

# --- a Courier New substitute, as the README says --------------------------------
before=$(p font "Courier New")
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Courier New" /d "Liberation Mono" /f >/dev/null 2>&1 \
  || fail "wine reg add"
after=$(p font "Courier New")
[ "$after" = "Courier New fixed" ] || fail "with the replacement \"Courier New\" gives '$after' (before: '$before')"
echo "ok: the font replacement gives Courier New a fixed-pitch face (before: $before)"
echo "all printing checks passed"
