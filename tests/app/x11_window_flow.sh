#!/usr/bin/env bash
# The program on a real X server, driven with xdotool as a user drives it,
# against the modem emulator: window and box titles as X shows them, one
# Enter on a clicked row plays that row once, the arrow keys work after a
# play, the Enter that closes an error box plays nothing, and holding Enter
# plays once, when it is released.
# Usage: x11_window_flow.sh OrvixManager orvix-modem-sim
# Exit status 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail

source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool

plays() { rx | grep '^AT+MVP' || true; }
plays_since() { plays | tail -n +"$(($1 + 1))" | paste -sd' ' -; }
play_count() { plays | wc -l; }
result_codes() { grep -c ' TX .*\(OK\|ERROR\)' "$WORK/modem.log" || true; }
answered() { [ "$(result_codes)" -gt "$1" ]; }

# Rows 3, 4 and 5 are voice messages; playing row 5 fails.
start_modem <<'EOF'
clock running 5 0 0
message voice 14 0 9 12
message fax 2 0 14 3
message voice 7 1 8 45
message voice 31 1 17 20
message voice 3 2 0 0
fault AT+MVP=5 error
EOF

ORVIX_SETTINGS="$WORK/OrvixManager.ini" start_app
WIN=$(wait_for shown_window "$TITLE.*") || fail "no main window"
[ "$(xdotool getwindowname "$WIN")" = "$TITLE" ] || fail "main window title: $(xdotool getwindowname "$WIN")"
wait_for grep -q 'RX AT+MSR=005' "$WORK/modem.log" || fail "the list was not read"
sleep 0.5

# The grid starts 44 pixels down; a row is 20 pixels and a line.
click_row() {
  xdotool mousemove --window "$WIN" 100 $((44 + 21 * $1 + 10)) click 1
  sleep 0.3
}

# One Enter on a clicked row.
mark=$(play_count)
codes=$(result_codes)
click_row 3
xdotool key Return
wait_for answered "$codes" || fail "no answer to a play"
sleep 1
[ "$(plays_since "$mark")" = "AT+MVP=3" ] || fail "one Enter on row 3 played: $(plays_since "$mark")"

# The grid has the keyboard focus again: Down selects row 5, whose play
# fails; the Enter that closes the error box must not play it again.
mark=$(play_count)
xdotool key Down
sleep 0.3
xdotool key Return
BOX=$(wait_for shown_window "Error.*") || fail "no error box after a failed play: $(plays_since "$mark")"
[ "$(xdotool getwindowname "$BOX")" = "Error" ] || fail "box title: $(xdotool getwindowname "$BOX")"
[ "$(xdotool getwindowname "$WIN")" = "$TITLE" ] || fail "main window title changed: $(xdotool getwindowname "$WIN")"
sleep 0.3
xdotool key Return
sleep 1
[ "$(plays_since "$mark")" = "AT+MVP=5" ] || fail "Down, Enter and the box's Enter played: $(plays_since "$mark")"
! xdotool search --onlyvisible --name "^Error" >/dev/null || fail "Enter did not close the box"

# Enter held for two seconds (the server repeats it meanwhile).
mark=$(play_count)
codes=$(result_codes)
click_row 3
xdotool keydown Return
sleep 2
held=$(plays_since "$mark")
xdotool keyup Return
[ -z "$held" ] || fail "played while Enter was held: $held"
wait_for answered "$codes" || fail "no play after Enter was released"
sleep 1
[ "$(plays_since "$mark")" = "AT+MVP=3" ] || fail "holding Enter on row 3 played: $(plays_since "$mark")"

echo "PASS"
