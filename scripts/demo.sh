#!/usr/bin/env bash
# Builds the program and runs it against the bundled modem emulator, reached as
# a network serial port (rfc2217://127.0.0.1:PORT) so the modem has real lines.
# Without a display it runs under Xvfb, saves a screenshot and prints its path.
# Without a display it also saves a close-up of the message list with the
# mouse resting on a receive time too long for its column.
# Usage: scripts/demo.sh [screenshot.png [close-up.png]]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD:-build}
SHOT=${1:-$ROOT/docs/screenshot.png}
CLOSEUP=${2:-$ROOT/docs/grid-close-up.png}

bash scripts/install-deps.sh
echo "[demo] building in $BUILD"
# Ninja for a new build folder (as scripts/test.sh); one made earlier keeps its generator.
generator=()
[ -f "$BUILD/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
cmake -S . -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target OrvixManager orvix-modem-sim

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  # Newest first: the program goes before the X server it draws on.
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

echo "[demo] starting the modem emulator (demo scenario)"
"$BUILD/tools/modem-sim/orvix-modem-sim" --listen 127.0.0.1:0 \
  --scenario tools/modem-sim/scenarios/demo.scn --speed 0.2 --log "$WORK/modem.log" >"$WORK/sim.out" &
PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/sim.out" ] && break; sleep 0.1; done
URL=$(head -n1 "$WORK/sim.out")
echo "[demo] emulator listens at $URL"

export ORVIX_SETTINGS="$WORK/OrvixManager.ini"
# The demo modem's clock has been running for a while: give the program the
# reference it would have stored when it set that clock.
SET_AT="-3 days -11 hours -20 minutes"
{
  printf '[General]\nDeviceName=%s\nBaudRate=9600\nDataBits=8\nStopBits=10\nParity=none\n\n' "$URL"
  printf '[ClockReset]\nDate=%s\nTime=%s\n' "$(date -d "$SET_AT" +%Y,%-m,%-d)" "$(date -d "$SET_AT" +%-H,%-M)"
} >"$ORVIX_SETTINGS"
echo "[demo] settings file: $ORVIX_SETTINGS"

APP="$BUILD/app/OrvixManager"
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  echo "[demo] starting OrvixManager (close its window to end the demo)"
  "$APP"
  exit 0
fi

echo "[demo] no display: running under Xvfb"
# Xvfb picks a free display itself: other X servers may run on this machine.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$WORK/display")"
"$APP" &
APP_PID=$!
PIDS+=($APP_PID)
for _ in $(seq 100); do
  grep -q "AT+MSR=" "$WORK/modem.log" 2>/dev/null && break
  sleep 0.1
done
sleep 2
mkdir -p "$(dirname "$SHOT")"
# No window manager runs on the virtual screen: the window sits at the top
# left corner of a black root window, which trimming removes.
import -window root "$WORK/root.png"
convert "$WORK/root.png" -trim +repage "$SHOT"
echo "[demo] dialogue with the modem:"
grep -E 'RX|TX' "$WORK/modem.log" | head -n 40 || true
echo "[demo] screenshot saved: $SHOT"
# The window's client area starts at the screen's top left. The first
# receive time (row 1 of the list, which starts 44 pixels down) is cut: the
# grid shows it whole in a hint over the cell once the mouse rests there.
xdotool mousemove 300 77
sleep 1.5
import -window root "$WORK/hint.png"
convert "$WORK/hint.png" -crop 460x132+0+42 +repage -background black -flatten -scale 200% "$CLOSEUP"
echo "[demo] close-up saved: $CLOSEUP"
