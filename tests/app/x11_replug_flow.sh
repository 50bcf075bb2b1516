#!/usr/bin/env bash
# The program on a real X server against the modem emulator, the modem taken
# away while connected and brought back: a network port whose server ends and
# starts again on the same port, and a pty behind a --link (a USB adapter
# pulled out and plugged in) whose emulator ends and starts again with the
# same link. Each time: the port released, the connect button up and the
# controls as after the user's own disconnect, no box, no CPU while waiting,
# then the connect of a click (set-up, store read) and the controls back.
# Usage: x11_replug_flow.sh OrvixManager orvix-modem-sim pty-modem-lines-shim.so
# Exit status 77 (skipped) when Xvfb, xdotool or ImageMagick is missing.
set -euo pipefail
SHIM=$3

source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool import compare

SCENARIO='clock running 3 0 0
message voice 14 0 9 12
message fax 2 0 14 3'
CLICK="AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW AT+MSR=0 AT+MCC?"

# The command lines in one emulator log, on one line.
dialogue() { grep ' RX ' "$1" | sed 's/.* RX //' | paste -sd' ' - || true; }
received() { grep -qs " RX $2\$" "$1"; }
# The last command line in the log has been answered.
answered() { tail -n1 "$1" 2>/dev/null | grep -q ' TX .*OK'; }
# The button bar as X shows it, the mouse out of the way.
bar() {
  xdotool mousemove 700 500
  sleep 0.4
  import -window "$WIN" -crop 390x44+0+0 +repage "$WORK/$1.png"
}
same() { [ "$(compare -metric AE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 || true)" = "0" ]; }
no_box() { ! xdotool search --onlyvisible --name "^Error$" >/dev/null; }
# CPU milliseconds the program uses over two seconds.
cpu_over_two_seconds() {
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$APP_PID/stat")
  sleep 2
  after=$(awk '{print $14 + $15}' "/proc/$APP_PID/stat")
  echo $(((after - before) * 1000 / $(getconf CLK_TCK)))
}
# Runs the command line given (the program, with an environment of its own).
start_program() {
  "$@" 2>>"$WORK/app.err" &
  APP_PID=$!
  PIDS+=("$APP_PID")
  WIN=$(wait_for shown_window "$TITLE") || fail "no main window"
}

# ---- A network port ------------------------------------------------------------------

start_modem <<<"$SCENARIO"
SIM_PID=${PIDS[-1]}
PORT=$(sed -n 's/.*:\([0-9]*\)$/\1/p' "$WORK/sim.out")
start_program env ORVIX_SETTINGS="$WORK/OrvixManager.ini" "$APP"
wait_for received "$WORK/modem.log" AT+MSR=002 && wait_for answered "$WORK/modem.log" || fail "the list was not read"
bar connected

stop_pid "$SIM_PID"
# No connection to the server's port is left (the program's side would stay
# half-closed while it holds the port).
released() { ! awk -v r="$(printf ':%04X' "$PORT")" '$3 ~ r"$"' /proc/net/tcp | grep -q .; }
wait_for released || fail "the connection is still held"
bar lost
no_box || fail "a box for a pulled plug"
same lost connected && fail "the window did not change"
cpu=$(cpu_over_two_seconds)
[ "$cpu" -le 20 ] || fail "$cpu ms of CPU in 2 s while waiting for the server"

FAIL_LOGS+=("$WORK/modem2.log")
"$SIM" --listen "127.0.0.1:$PORT" --scenario "$WORK/modem.scn" --speed 0.02 --log "$WORK/modem2.log" >/dev/null &
PIDS+=($!)
WAIT_TENTHS=120 wait_for received "$WORK/modem2.log" 'AT+MCC?' && wait_for answered "$WORK/modem2.log" ||
  fail "no reconnect: $(dialogue "$WORK/modem2.log")"
[ "$(dialogue "$WORK/modem2.log")" = "$CLICK" ] || fail "reconnected with: $(dialogue "$WORK/modem2.log")"
bar reconnected
same reconnected lost && fail "the controls did not come back"

# The user's own disconnect looks as the pulled plug did, and the user's own
# connect as the reconnect (the keyboard focus, on the only button left
# enabled, stays there in both).
xdotool mousemove --window "$WIN" 24 22 click 1
bar disconnected
same disconnected lost || fail "a pulled plug does not look like a disconnect"
before=$(grep -c ' RX ' "$WORK/modem2.log")
connected_again() { [ "$(grep -c ' RX ' "$WORK/modem2.log")" -eq $((before + 7)) ] && answered "$WORK/modem2.log"; }
xdotool mousemove --window "$WIN" 24 22 click 1
wait_for connected_again || fail "the user's connect: $(dialogue "$WORK/modem2.log")"
bar user-connected
same reconnected user-connected || fail "the reconnect does not look like a connect"
stop_pid "$APP_PID"

# ---- A pty behind a link (the shim gives it DSR) --------------------------------------

LINK="$WORK/ttyUSB-modem"
start_pty() {
  "$SIM" --link "$LINK" --scenario "$WORK/modem.scn" --speed 0.02 --log "$WORK/$1" >/dev/null &
  PTY_PID=$!
  PIDS+=("$PTY_PID")
  FAIL_LOGS+=("$WORK/$1")
  wait_for test -e "$LINK" || fail "no link"
}
start_pty pty.log
printf '[General]\nDeviceName=%s\n[ClockReset]\nDate=2025,3,14\nTime=9,5\n' "$LINK" >"$WORK/OrvixManager.ini"
start_program env ORVIX_SETTINGS="$WORK/OrvixManager.ini" LD_PRELOAD="$SHIM" \
  ASAN_OPTIONS="verify_asan_link_order=0:${ASAN_OPTIONS:-}" "$APP"
wait_for received "$WORK/pty.log" AT+MSR=002 && wait_for answered "$WORK/pty.log" ||
  fail "the list was not read over the pty"
bar pty-connected
same pty-connected connected || fail "over the pty the window is not connected"
SLAVE=$(readlink "$LINK")

stop_pid "$PTY_PID"
pty_released() { ! ls -l "/proc/$APP_PID/fd" | grep -q "$SLAVE\$"; }
wait_for pty_released || fail "$SLAVE is still held"
bar pty-lost
no_box || fail "a box for a pulled plug"
same pty-lost lost || fail "over the pty a pulled plug looks different"
cpu=$(cpu_over_two_seconds)
[ "$cpu" -le 20 ] || fail "$cpu ms of CPU in 2 s while waiting for the device"

start_pty pty2.log
wait_for received "$WORK/pty2.log" 'AT+MCC?' && wait_for answered "$WORK/pty2.log" ||
  fail "no reconnect: $(dialogue "$WORK/pty2.log")"
[ "$(dialogue "$WORK/pty2.log")" = "$CLICK" ] || fail "reconnected with: $(dialogue "$WORK/pty2.log")"
# The emulator's clock starts before it makes the link.
last=$(grep ' RX ' "$WORK/pty2.log" | tail -n1 | cut -d' ' -f1)
[ "$last" -le 2000 ] || fail "reconnected $last ms after the link came back"
bar pty-reconnected
same pty-reconnected reconnected || fail "the controls did not come back"

echo "PASS"
