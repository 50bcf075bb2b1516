#!/usr/bin/env bash
# The program's start-up on a real X server against the modem emulator:
# without an argument the window is in sight while the modem is still being
# set up; with one it stays hidden until the summary counts messages and
# shows while the list is read; a box raised during the start-up belongs to
# the window (transient for it, so it shows over it).
# Usage: x11_startup_flow.sh OrvixManager orvix-modem-sim
# Exit status 77 (skipped) when Xvfb, xdotool or xprop is missing.
set -euo pipefail

source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool xprop

visible() { shown_window "$TITLE" >/dev/null; }
received() { grep -q " RX $1\$" "$WORK/modem.log"; }

# A fresh emulator whose first set-up command and clock question are
# answered late; the program started with the arguments given.
fresh_start() {
  [ -z "${SIM_PID:-}" ] || stop_pid "$SIM_PID"
  start_modem <<'EOF'
clock running 3 0 0
message voice 14 0 9 12
message fax 2 0 14 3
fault AT+MCS=1 @1 delay 900
fault AT+MCC? @1 delay 900
EOF
  SIM_PID=${PIDS[-1]}
  ORVIX_SETTINGS="$WORK/OrvixManager.ini" start_app "$@"
}

# Without an argument: in sight before the modem has answered anything.
# The program's own start may take long on a loaded machine: 30 s for the first command.
fresh_start
WAIT_TENTHS=300 wait_for received AT+MCS=1 || fail "the set-up did not begin"
visible || fail "no window while the modem is set up"
received AT+MSR=002 && fail "the check came too late to tell"
wait_for received AT+MSR=002 || fail "the list was not read"
stop_pid "$APP_PID"

# With an argument: hidden while the modem is set up, in sight once the
# summary has come, while the rest is read.
fresh_start auto
WAIT_TENTHS=300 wait_for received AT+MCS=1 || fail "the set-up did not begin"
visible && fail "the window showed before the summary"
wait_for received 'AT+MCC?' || fail "no summary read"
wait_for visible || fail "no window once the summary counted messages"
received AT+MSR=002 && fail "the check came too late to tell"
wait_for received AT+MSR=002 || fail "the list was not read"
stop_pid "$APP_PID"

# A box raised at once (no such device) belongs to the window.
printf '[General]\nDeviceName=%s\n' "$WORK/no-such-device" >"$WORK/OrvixManager.ini"
ORVIX_SETTINGS="$WORK/OrvixManager.ini" start_app
BOX=$(wait_for shown_window Error) || fail "no box"
WIN=$(shown_window "$TITLE") || true
owner=$(xprop -id "$BOX" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
[ -n "$owner" ] && [ $((owner)) -eq "$WIN" ] || fail "the box belongs to $owner, not to the window $WIN"
stop_pid "$APP_PID"

echo "PASS"
