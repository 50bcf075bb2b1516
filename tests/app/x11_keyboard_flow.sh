#!/usr/bin/env bash
# The whole program on a real X server with the keyboard alone (xdotool, no
# mouse), against the modem emulator: connect up and down with Space, select
# row 3 with the arrow keys and play it with Enter, play both welcome
# messages, erase, and close as a window manager's Alt+F4 does.
# Usage: x11_keyboard_flow.sh OrvixManager orvix-modem-sim
# Exit status 77 (skipped) when xvfb-run, xdotool or python3 is missing.
set -euo pipefail
APP=$1
SIM=$2

source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool python3

source "$(dirname "$0")/../common/program_flow.sh"

# Waits until the commands sent since mark end with `expected`.
expect_since() {
  local mark=$1 expected=$2 what=$3
  wait_for bash -c "[[ \"\$(grep ' RX ' '$WORK/modem.log' | sed 's/.* RX //' | tail -n +$((mark + 1)) | paste -sd' ' -)\" == *'$expected' ]]" ||
    fail "$what: $(rx_since "$mark")"
  sleep 0.3
}
key() {
  xdotool key --delay 60 "$@"
  sleep 0.2
}

# Rows 3 and 4 are voice messages, row 2 a fax; both welcome messages.
start_modem <<'EOF'
clock running 5 0 0
welcome 4
full-welcome 6
message voice 14 0 9 12
message fax 2 0 14 3
message voice 7 1 8 45
message voice 31 1 17 20
EOF

ORVIX_SETTINGS="$WORK/OrvixManager.ini" "$APP" 2>"$WORK/app.err" &
APP_PID=$!
PIDS+=("$APP_PID")
TITLE="Tarvelle Memnova Self-mode Manager"
wait_for xdotool search --onlyvisible --name "^$TITLE" >/dev/null || fail "no main window"
WIN=$(xdotool search --onlyvisible --name "^$TITLE" | head -n1)
wait_for grep -q 'RX AT+MSR=004' "$WORK/modem.log" || fail "the list was not read"
sleep 0.5
xdotool windowfocus --sync "$WIN"

# The list has the focus; Tab from it wraps round to the connect button.
# Space puts it up (the port is released), Space again connects.
key Tab
key space
wait_for grep -q 'DISCONNECT' "$WORK/modem.log" || fail "Space on the connect button did not disconnect"
mark=$(rx_count)
key space
# (The store is as it was: its summary is read, not every message again.)
expect_since "$mark" "AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW AT+MSR=0 AT+MCC?" "Space did not connect again"

# Back to the list, row 3, Enter.
key shift+Tab
key Down Down
mark=$(rx_count)
key Return
expect_since "$mark" "AT+MVP=3" "Enter on row 3 played"

# Tab to the welcome buttons (past the connect and play buttons).
key Tab Tab Tab
mark=$(rx_count)
key space
expect_since "$mark" "AT+MVP=0" "Space on the welcome button played"
key Tab
mark=$(rx_count)
key space
expect_since "$mark" "AT+MVP=255" "Space on the full-memory welcome button played"

# Erase.
key Tab
mark=$(rx_count)
key space
expect_since "$mark" "AT+MEM" "Space on the erase button sent"

# Close as a window manager does on Alt+F4: a WM_DELETE_WINDOW request.
mark=$(rx_count)
python3 - "$WIN" <<'EOF' || fail "could not ask the window to close"
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
dpy = x.XOpenDisplay(None)
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1])
event.xclient.message_type = x.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(dpy, int(sys.argv[1]), 0, 0, ctypes.byref(event))
x.XFlush(dpy)
EOF
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$APP_PID" 2>/dev/null || fail "the program did not end on close"
[ "$(rx_since "$mark")" = "AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW" ] || fail "close sent: $(rx_since "$mark")"

echo "PASS"
