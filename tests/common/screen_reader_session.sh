#!/bin/sh
# Runs a test program as on a desktop where a screen reader is on: a session
# bus of its own with the accessibility bus started, an X server of its own,
# and Qt's AT-SPI bridge switched on. Only then does Qt hand accessibility
# events on; with the offscreen platform it drops them.
# Usage: screen_reader_session.sh PROGRAM [ARGS...]
set -eu

if [ -z "${ORVIX_IN_SESSION:-}" ]; then
  # A runtime folder of its own: the accessibility bus puts its socket there
  # (else in ~/.cache/at-spi/bus), and sessions running side by side would
  # take each other's socket away; Qt then waits 2 x 25 s for the registry.
  runtime=$(mktemp -d)
  chmod 700 "$runtime"
  status=0
  XDG_RUNTIME_DIR="$runtime" ORVIX_IN_SESSION=1 dbus-run-session -- "$0" "$@" || status=$?
  rm -rf "$runtime"
  exit "$status"
fi

# Started on demand only; Qt waits for it to appear.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null

# Xvfb chooses a free display itself, so parallel runs never collide. It
# must not reset when its last client leaves: a program started during the
# reset finds no display.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  sleep 0.05
done
[ -s "$displayfile" ] || { echo "screen_reader_session: Xvfb did not start" >&2; exit 1; }

status=0
DISPLAY=":$(cat "$displayfile")" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@" || status=$?
exit "$status"
