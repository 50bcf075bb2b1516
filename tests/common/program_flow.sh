# Shared by the scripts that drive the whole program against the modem
# emulator; source it after setting SIM (the emulator). It gives WORK (a
# folder removed at exit), PIDS (processes ended at exit), fail, wait_for,
# start_modem and the dialogue helpers rx, rx_count and rx_since.

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
