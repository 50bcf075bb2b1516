#!/bin/sh
# Runs a command under an X server of its own. Xvfb chooses a free display
# itself, so runs side by side never collide (xvfb-run -a can hand two of
# them the same number, and one then loses its display when the other ends).
# It must not reset when its last client leaves: a program started during
# the reset finds no display.
# Usage: own_display.sh WIDTHxHEIGHTxDEPTH COMMAND [ARGS...]
set -eu
screen=$1
shift
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  sleep 0.05
done
[ -s "$displayfile" ] || { echo "own_display: Xvfb did not start" >&2; exit 1; }

status=0
DISPLAY=":$(cat "$displayfile")" "$@" || status=$?
exit "$status"
