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

exec "$(dirname "$0")/own_display.sh" 1280x1024x24 \
  env QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$@"
