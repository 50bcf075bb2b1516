# Shell helpers for the tests that drive the real program on an X server
# with xdotool, against the modem emulator. Sourced; expects APP and SIM (the
# program and the emulator) to be set. Gives WORK (a scratch folder removed
# at exit), PIDS (processes stopped at exit) and the functions below.

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

TITLE="Tarvelle Memnova Self-mode Manager"

fail() {
  echo "FAIL: $*"
  for log in "$WORK"/modem*.log; do
    [ -f "$log" ] || continue
    echo "--- modem dialogue ($log):"
    grep ' RX ' "$log" || true
  done
  echo "--- program stderr:"
  cat "$WORK"/app*.err 2>/dev/null || true
  exit 1
}

# Runs a command every 0.1 s until it succeeds; fails after SECONDS (default 10).
wait_for() {
  local tries=100
  if [[ $1 =~ ^[0-9.]+s$ ]]; then
    tries=$(awk -v s="${1%s}" 'BEGIN { print int(s * 10) }')
    shift
  fi
  for _ in $(seq "$tries"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# Starts the emulator as a network serial port on a scenario given as text;
# sets DEVICE (its rfc2217:// name) and MODEM_LOG. Extra arguments go to it.
start_modem() {
  local scenario=$1
  shift
  local n=${#PIDS[@]}
  MODEM_LOG="$WORK/modem$n.log"
  printf '%b' "$scenario" >"$WORK/modem$n.scn"
  "$SIM" --listen 127.0.0.1:0 --scenario "$WORK/modem$n.scn" --log "$MODEM_LOG" "$@" >"$WORK/sim$n.out" 2>&1 &
  PIDS+=($!)
  MODEM_PID=$!
  wait_for test -s "$WORK/sim$n.out" || fail "the emulator did not start"
  DEVICE=$(head -n1 "$WORK/sim$n.out")
}

stop_modem() {
  kill "$MODEM_PID" 2>/dev/null || true
  wait "$MODEM_PID" 2>/dev/null || true
}

# Command lines the emulator received, one a line.
dialogue() { grep ' RX ' "$MODEM_LOG" | sed 's/.* RX //' || true; }

# The id of the shown window whose name is exactly $1, other than $2.
shown_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [ "$id" != "${2:-}" ] && { echo "$id"; return 0; }
  done
  return 1
}
window_shown() { shown_window "$@" >/dev/null; }
window_gone() { ! xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -qx "$2"; }

# What the window manager sends when the user clicks a window's close button
# (the X server here has no window manager to do it).
close_window() {
  /usr/bin/python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 19)]
d = x.XOpenDisplay(None)
e = ClientMessage(type=33, window=int(sys.argv[1]), format=32)  # ClientMessage
e.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XSendEvent(d, int(sys.argv[1]), 0, 0, ctypes.byref(e))
x.XFlush(d)
x.XCloseDisplay(d)
PY
}

# Waits up to 10 s for the child process $1 to end; sets END_STATUS to its
# exit status. Not in a subshell: only the shell that started it may wait.
wait_end() {
  wait_for sh -c "! kill -0 $1 2>/dev/null" || return 1
  END_STATUS=0
  wait "$1" || END_STATUS=$?
}
