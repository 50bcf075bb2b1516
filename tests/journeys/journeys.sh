#!/usr/bin/env bash
# The paths README.md walks a user through, on the real program: an X
# server, the modem emulator as the modem, keys and the window's close button
# as the user's input, and the message list read back as a screen reader
# reads it. Each journey starts from what README.md tells a user to write.
#
#   first-run    README's settings file ([General] only), an empty modem;
#                then a second start with messages: receive times are dates,
#                to the minute in the C locale
#   damaged      a settings file whose clock reference an earlier version
#                split over two sections: dates, no lockout; then the next
#                write leaves one section
#   modem-off    started with an argument, modem off: OK, Cancel shows the
#                window; closing asks again; Ignore ends the program
#   installed    an installed program's first run: the file in the XDG folder
#   terminal     a terminal as the device is given back in its own mode
#
# Usage: journeys.sh OrvixManager orvix-modem-sim README.md [journey...]
# Exit status 77 (skipped) when a tool it needs is missing.
set -euo pipefail
APP=$(realpath "$1")
SIM=$(realpath "$2")
README=$(realpath "$3")
shift 3

for tool in xdotool Xvfb dbus-run-session stty; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }
if [ -z "${ORVIX_IN_SESSION:-}" ]; then
  exec "$(dirname "$0")/../common/screen_reader_session.sh" bash "$0" "$APP" "$SIM" "$README" "$@"
fi

source "$(dirname "$0")/../common/program_flow.sh"
unset ORVIX_SETTINGS XDG_CONFIG_HOME
export HOME="$WORK/home"
mkdir -p "$HOME"

# The emulator on the scenario $1 (printf escapes); sets DEVICE and MODEM_PID.
modem() {
  rm -f "$WORK/sim.out"
  start_modem < <(printf '%b' "$1")
  MODEM_PID=${PIDS[-1]}
  DEVICE=$(head -n1 "$WORK/sim.out")
}

stop_modem() { stop_pid "$MODEM_PID"; }
window_gone() { ! xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -qx "$2"; }

# The settings file of README.md ("Using a real modem"), for the device $1.
readme_settings() {
  awk '/^   ```ini$/ { inside = 1; next } inside && /^   ```$/ { exit } inside { sub(/^   /, ""); print }' "$README" |
    sed "s|^DeviceName=.*|DeviceName=$1|"
}

# What a screen reader reads: "cells" (the message list, one row a line,
# cells joined by |), "box" (the texts of the shown message box) or
# "connect" (whether the connect button is enabled).
read_screen() {
  /usr/bin/python3 - "$1" <<'PY'
import sys, pyatspi
def nodes(node):
    for child in node:
        if child is not None:
            yield child
            yield from nodes(child)
for app in pyatspi.Registry.getDesktop(0):
    if app is None or app.name != "OrvixManager":
        continue
    for node in nodes(app):
        role = node.getRoleName()
        if sys.argv[1] == "cells" and role == "table":
            table = node.queryTable()
            for r in range(table.nRows):
                print("|".join(table.getAccessibleAt(r, c).name for c in range(table.nColumns)))
        elif sys.argv[1] == "box" and role in ("alert", "dialog"):
            print("|".join(n.name for n in nodes(node) if n.getRoleName() == "label" and n.name))
        elif sys.argv[1] == "connect" and node.name == "Connect and set up modem":
            print("enabled" if node.getState().contains(pyatspi.STATE_ENABLED) else "disabled")
PY
}

# Receive times of the listed messages, one a line.
receive_times() { read_screen cells | awk -F'|' '$1 != "" { print $4 }'; }

# The main window's id, once shown and through its start-up: it shows before
# the modem is set up and read, every control disabled until then.
started() { [ "$(read_screen connect)" = enabled ]; }
main_window() {
  local win
  win=$(wait_for shown_window "$TITLE") && WAIT_TENTHS=150 wait_for started && echo "$win"
}

box_says() { [ "$(read_screen box)" = "$1" ]; }

# Answers the error box, whose text must be $1, with key $2.
answer_box() {
  local box
  box=$(wait_for shown_window Error) || fail "no box \"$1\""
  # The screen reader learns of the box a moment after it shows.
  WAIT_TENTHS=50 wait_for box_says "$1" || fail "box says \"$(read_screen box)\", not \"$1\""
  xdotool key "$2"
  wait_for window_gone Error "$box" || fail "the box \"$1\" did not close on $2"
}

# Closes the main window as its close button does and waits for the end.
close_and_end() { close_window "$1"; expect_clean_end "after its window closed"; }

# The settings file $1 is README's for device $2 followed by one clock
# reference; sets DATE to its Date.
expect_readme_with_clock() {
  local date time
  date=$(sed -n 's/^Date=//p' "$1")
  time=$(sed -n 's/^Time=//p' "$1")
  [[ $date =~ ^[0-9]{4},[0-9]{1,2},[0-9]{1,2}$ && $time =~ ^[0-9]{1,2},[0-9]{1,2}$ ]] ||
    fail "no clock reference of one Date and one Time in $1: $(cat "$1")"
  [ "$(cat "$1")" = "$(readme_settings "$2")"$'\n\n[ClockReset]\nDate='"$date"$'\nTime='"$time" ] ||
    fail "$1 holds more than README's settings and one clock reference: $(cat "$1")"
  DATE=$date
}

# Starts the program on the settings file $1 with the arguments that follow
# and waits for its main window: WIN.
open_app() {
  ORVIX_SETTINGS="$1" start_app "${@:2}"
  WIN=$(main_window) || fail "no main window"
}
# The settings file $1 pointed at the emulator started last.
follow_modem() { sed -i "s|^DeviceName=.*|DeviceName=$DEVICE|" "$1"; }

journey_first_run() {
  local ini="$WORK/first-run.ini" times
  modem 'clock running 2 3 4\nwelcome 5\n'
  readme_settings "$DEVICE" >"$ini"
  open_app "$ini"
  [ "$(receive_times)" = "" ] || fail "an empty modem lists: $(receive_times)"
  close_and_end "$WIN"
  expect_readme_with_clock "$ini" "$DEVICE"
  stop_modem

  # The second start, in a bare system's C locale: messages stamped since
  # that reference carry its year, and their times hours and minutes alone.
  modem 'clock running 0 1 0\nmessage voice 14 0 0 30\nmessage fax 2 0 0 50\n'
  follow_modem "$ini"
  LC_ALL=C open_app "$ini"
  times=$(receive_times)
  [ "$(grep -c "${DATE%%,*}" <<<"$times")" = 2 ] || fail "receive times are no dates of ${DATE%%,*}: $times"
  [ "$(grep -cE ' [0-9]{1,2}:[0-9]{2}$' <<<"$times")" = 2 ] || fail "receive times are not to the minute: $times"
  rx | grep -qx 'AT+MCC' && fail "the modem's clock was reset on the second start"
  close_and_end "$WIN"
  stop_modem
}

journey_damaged() {
  local ini="$WORK/damaged.ini" times
  modem 'clock running 1 0 0\nmessage voice 14 0 9 12\nmessage voice 7 1 8 45\n'
  { readme_settings "$DEVICE"; printf '\n[ClockReset]\nDate=2026,12,8\n\n[ClockReset]\nTime=9,5\n'; } >"$ini"
  open_app "$ini"
  shown_window Error >/dev/null && fail "a box at start-up: $(read_screen box)"
  times=$(receive_times)
  [ "$(grep -c 2026 <<<"$times")" = 2 ] || fail "receive times from the split reference: $times"
  close_and_end "$WIN"
  stop_modem

  # An empty modem: the clock is reset and the reference written in one section.
  modem 'clock running 1 0 0\n'
  follow_modem "$ini"
  open_app "$ini"
  close_and_end "$WIN"
  expect_readme_with_clock "$ini" "$DEVICE"
  stop_modem
}

journey_modem_off() {
  local ini="$WORK/modem-off.ini" win
  modem 'powered off\n'
  readme_settings "$DEVICE" >"$ini"
  ORVIX_SETTINGS="$ini" start_app auto
  answer_box "Modem if OFF or not connected" Return
  answer_box "Modem if OFF or not connected" Escape
  win=$(WAIT_TENTHS=20 wait_for shown_window "$TITLE") || fail "no window within 2 s of Cancel"
  close_window "$win"
  answer_box "Modem if OFF or not connected" alt+i
  expect_clean_end "on Ignore"
  wait_for grep -q ' DISCONNECT ' "$WORK/modem.log" || fail "the device was not released"
  stop_modem
}

journey_installed() {
  local prefix="$WORK/prefix"
  mkdir -p "$prefix/bin" "$prefix/share/applications"
  cp "$APP" "$prefix/bin/OrvixManager"
  : >"$prefix/share/applications/org.orvix.OrvixManager.desktop"
  modem 'clock running\n'
  # README: "for an installed program ~/.config/OrvixManager/OrvixManager.ini".
  local ini="$HOME/.config/OrvixManager/OrvixManager.ini"
  mkdir -p "$(dirname "$ini")"
  readme_settings "$DEVICE" >"$ini"
  APP="$prefix/bin/OrvixManager" start_app
  WIN=$(main_window) || fail "no main window"
  close_and_end "$WIN"
  expect_readme_with_clock "$ini" "$DEVICE"
  [ "$(ls "$prefix/bin")" = OrvixManager ] || fail "written beside the program: $(ls "$prefix/bin")"
  stop_modem
}

journey_terminal() {
  # A terminal as a shell leaves it, held open by a program of its own.
  /usr/bin/python3 -c 'import os, pty, sys, time
m, s = pty.openpty(); print(os.ttyname(s), flush=True); time.sleep(600)' >"$WORK/tty" &
  PIDS+=($!)
  wait_for test -s "$WORK/tty" || fail "no pty"
  local tty before
  tty=$(cat "$WORK/tty")
  before=$(stty -F "$tty" -g)
  printf '[General]\nDeviceName=%s\nBaudRate=9600\n' "$tty" >"$WORK/terminal.ini"
  ORVIX_SETTINGS="$WORK/terminal.ini" start_app
  # A pty has no modem lines: the modem reads as off.
  answer_box "Modem if OFF or not connected" Return
  WIN=$(main_window) || fail "no main window"
  [ "$(stty -F "$tty" -g)" != "$before" ] || fail "the terminal was not set up for the modem"
  close_window "$WIN"
  answer_box "Modem if OFF or not connected" alt+i
  expect_clean_end "on Ignore"
  [ "$(stty -F "$tty" -g)" = "$before" ] || fail "the terminal was left as $(stty -F "$tty" -a)"
}

journeys=("$@")
[ ${#journeys[@]} -gt 0 ] || journeys=(first-run damaged modem-off installed terminal)
for journey in "${journeys[@]}"; do
  SECONDS=0
  "journey_${journey//-/_}"
  echo "PASS $journey (${SECONDS} s)"
done
