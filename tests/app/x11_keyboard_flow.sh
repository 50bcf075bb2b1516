#!/usr/bin/env bash
# The whole program on a real X server with the keyboard alone (xdotool, no
# mouse), against the modem emulator: connect up and down with Space, select
# row 3 with the arrow keys and play it with Enter, play both welcome
# messages, erase, and close as a window manager's Alt+F4 does.
# Usage: x11_keyboard_flow.sh OrvixManager orvix-modem-sim
# Exit status 77 (skipped) when Xvfb, xdotool or python3 is missing.
set -euo pipefail

source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool python3

ends_with_since() { [[ "$(rx_since "$1")" == *"$2" ]]; }
key() {
  xdotool key --delay 60 "$@"
  sleep 0.2
}
# Presses key $1 and waits until the commands sent since then end with $2; $3 says what failed.
key_sends() {
  local mark
  mark=$(rx_count)
  key "$1"
  wait_for ends_with_since "$mark" "$2" || fail "$3: $(rx_since "$mark")"
  sleep 0.3
}

start_modem <<<"$DESKTOP_MODEM"

ORVIX_SETTINGS="$WORK/OrvixManager.ini" start_app
WIN=$(wait_for shown_window "$TITLE") || fail "no main window"
wait_for grep -q 'RX AT+MSR=004' "$WORK/modem.log" || fail "the list was not read"
sleep 0.5
xdotool windowfocus --sync "$WIN"

# The list has the focus; Tab from it wraps round to the connect button.
# Space puts it up (the port is released), Space again connects.
key Tab
key space
wait_for grep -q 'DISCONNECT' "$WORK/modem.log" || fail "Space on the connect button did not disconnect"
# (The store is as it was: its summary is read, not every message again.)
key_sends space "AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW AT+MSR=0 AT+MCC?" "Space did not connect again"

# Back to the list, row 3, Enter.
key shift+Tab
key Down Down
key_sends Return "AT+MVP=3" "Enter on row 3 played"

# Tab to the welcome buttons (past the connect and play buttons).
key Tab Tab Tab
key_sends space "AT+MVP=0" "Space on the welcome button played"
key Tab
key_sends space "AT+MVP=255" "Space on the full-memory welcome button played"

# Erase.
key Tab
key_sends space "AT+MEM" "Space on the erase button sent"

# Close as a window manager does on Alt+F4: a WM_DELETE_WINDOW request.
mark=$(rx_count)
close_window "$WIN" || fail "could not ask the window to close"
expect_clean_end "on close"
[ "$(rx_since "$mark")" = "AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW" ] || fail "close sent: $(rx_since "$mark")"

echo "PASS"
