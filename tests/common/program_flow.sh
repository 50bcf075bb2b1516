# Shared by the scripts that drive the whole program against the modem
# emulator; source it after setting APP (the program) and SIM (the
# emulator). It gives WORK (a folder removed at exit), PIDS (processes ended
# at exit), fail, wait_for, start_modem, start_app and the helpers below.

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# Logs shown after the modem dialogue and the program's errors on a failure.
FAIL_LOGS=()
fail() {
  echo "FAIL: $*"
  echo "--- modem dialogue:"
  grep -E ' (RX|CONNECT|DISCONNECT) ' "$WORK/modem.log" || true
  echo "--- program stderr:"
  grep -v '^\[' "$WORK/app.err" | tail -n 20 || true
  for log in "${FAIL_LOGS[@]}"; do
    echo "--- $(basename "$log"):"
    tail -n 5 "$log" || true
  done
  exit 1
}

# Waits up to WAIT_TENTHS tenths of a second (default 10 s) for a command to
# succeed.
wait_for() {
  for _ in $(seq "${WAIT_TENTHS:-100}"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# The modem of the desktop flows: a fax in row 2, voice messages in rows 1, 3
# and 4, both welcome messages.
DESKTOP_MODEM='clock running 5 0 0
welcome 4
full-welcome 6
message voice 14 0 9 12
message fax 2 0 14 3
message voice 7 1 8 45
message voice 31 1 17 20'

# Starts the emulator as a network serial port with the scenario read from
# stdin, plays at a fiftieth of their time, and writes the settings file
# $WORK/OrvixManager.ini that reaches it.
start_modem() {
  cat >"$WORK/modem.scn"
  "$SIM" --listen 127.0.0.1:0 --scenario "$WORK/modem.scn" --speed 0.02 --log "$WORK/modem.log" >"$WORK/sim.out" &
  PIDS+=($!)
  wait_for test -s "$WORK/sim.out" || fail "the emulator did not start"
  printf '[General]\nDeviceName=%s\n[ClockReset]\nDate=2025,3,14\nTime=9,5\n' "$(head -n1 "$WORK/sim.out")" \
    >"$WORK/OrvixManager.ini"
}

# The command lines the emulator received; their number; those after the
# first n, on one line.
rx() { grep ' RX ' "$WORK/modem.log" | sed 's/.* RX //' || true; }
rx_count() { rx | wc -l; }
rx_since() { rx | tail -n +"$(($1 + 1))" | paste -sd' ' -; }

TITLE="Tarvelle Memnova Self-mode Manager"

# Starts the program with the given arguments; sets APP_PID.
start_app() {
  "$APP" "$@" 2>>"$WORK/app.err" &
  APP_PID=$!
  PIDS+=("$APP_PID")
}

# Ends a process of the test's and waits for it.
stop_pid() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

# The id of the shown window whose name matches $1 as a whole.
shown_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 | grep .; }

# What a window manager sends when the user clicks a window's close button
# (these X servers have no window manager to do it).
close_window() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 19)]
d = x.XOpenDisplay(None)
e = ClientMessage(type=33, window=int(sys.argv[1]), format=32)  # ClientMessage
e.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, int(sys.argv[1]), 0, 0, ctypes.byref(e))
x.XCloseDisplay(d)
PY
}

# Waits for the program to end, which it must do cleanly; $1 says after what.
expect_clean_end() {
  wait_for sh -c "! kill -0 $APP_PID 2>/dev/null" || fail "the program did not end $1"
  local status=0
  wait "$APP_PID" || status=$?
  [ "$status" = 0 ] || fail "the program ended with status $status"
}
