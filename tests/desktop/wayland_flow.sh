#!/usr/bin/env bash
# The program on Wayland: a headless sway that asks for client-side
# decorations (Qt draws its own title bar, as under GNOME), the program with
# QT_QPA_PLATFORM=wayland against the modem emulator. Checked: the message
# list is painted (screenshot), Enter plays the selected message, the window
# out of sight releases the port and back in sight asks AT+MCS?, and a close
# sends the set-up commands.
# Usage: wayland_flow.sh OrvixManager orvix-modem-sim [SCREENSHOT.png]
# Exit status 77 (skipped) when sway, grim, wtype, ImageMagick or Qt's
# Wayland platform is missing.
set -euo pipefail
APP=$1
SIM=$2
SHOT_COPY=${3:-}

for tool in sway swaymsg grim wtype convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
QT_PLUGINS=$(dirname "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit)")
[ -n "$QT_PLUGINS" ] && [ "$QT_PLUGINS" != . ] || { echo "skipped: qt6-wayland is not installed"; exit 77; }

source "$(dirname "$0")/../common/program_flow.sh"
chmod 755 "$WORK"
FAIL_LOGS=("$WORK/sway.log")
WAIT_TENTHS=150

# sway will not run as root: as root it runs as nobody, in a runtime folder
# that user owns; the program and the tools reach its socket as root.
RUN="$WORK/run"
mkdir -m 700 "$RUN"
AS_USER=()
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "skipped: setpriv is not installed"; exit 77; }
  chown 65534:65534 "$RUN"
  AS_USER=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
cat >"$WORK/sway.conf" <<'EOF'
output HEADLESS-1 resolution 1024x768 scale 1
for_window [app_id="OrvixManager"] border csd
EOF
chmod 644 "$WORK/sway.conf"
"${AS_USER[@]}" env -i PATH="$PATH" XDG_RUNTIME_DIR="$RUN" WLR_BACKENDS=headless WLR_RENDERER=pixman \
  WLR_LIBINPUT_NO_DEVICES=1 sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
PIDS+=($!)
socket() { find "$RUN" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -print -quit | grep -q .; }
wait_for socket || fail "sway did not start"
export XDG_RUNTIME_DIR="$RUN"
WAYLAND_DISPLAY=$(basename "$(find "$RUN" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' -print -quit)")
export WAYLAND_DISPLAY
SWAYSOCK=$(find "$RUN" -maxdepth 1 -name 'sway-ipc.*' -print -quit)
export SWAYSOCK

start_modem <<<"$DESKTOP_MODEM"

logged() { grep -q "$1" "$WORK/modem.log"; }

WAYLAND_DEBUG=client QT_QPA_PLATFORM=wayland QT_WAYLAND_DISABLE_WINDOWDECORATION=0 \
  ORVIX_SETTINGS="$WORK/OrvixManager.ini" "$APP" 2>"$WORK/app.err" &
APP_PID=$!
PIDS+=("$APP_PID")
shown() { swaymsg -t get_tree | grep -q '"app_id": "OrvixManager"'; }
wait_for shown || fail "no window"
wait_for logged 'RX AT+MSR=004' || fail "the list was not read"
sleep 1
# The fixed size reaches the compositor, so that its own title bars (KDE's,
# wlroots') offer no maximise. (Qt 6.4's title bar draws one regardless.)
for request in 'set_min_size(390, 172)' 'set_max_size(390, 172)'; do
  grep -qF "xdg_toplevel@" "$WORK/app.err" && grep -F "xdg_toplevel@" "$WORK/app.err" | grep -qF "$request" ||
    fail "the window's fixed size was not sent ($request)"
done

# The rows are painted: the selected row in the highlight colour, the others
# in the window colour, none left blank (the desktop's grey shows through).
grim "$WORK/shot.png" || fail "no screenshot"
[ -z "$SHOT_COPY" ] || cp "$WORK/shot.png" "$SHOT_COPY"
count() { convert "$WORK/shot.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:; }
highlight=$(count '#308cc6')
white=$(count '#ffffff')
[ "$highlight" -gt 3000 ] || fail "no highlighted row in the list ($highlight pixels)"
[ "$white" -gt 15000 ] || fail "the list's rows are not painted ($white white pixels)"

# Enter plays the selected first message. The headless seat has no keyboard
# until wtype brings its own: it waits before the key, so that the program
# has taken the new keyboard and its focus when the key comes.
mark=$(rx_count)
wtype -s 800 -k Return
wait_for bash -c "grep ' RX ' '$WORK/modem.log' | tail -n +$((mark + 1)) | grep -q 'AT+MVP=1'" ||
  fail "Enter did not play: $(rx_since "$mark")"

# Out of sight (moved to another workspace) the port is released; back in
# sight it is opened again and the modem asked whether it is in self mode.
sleep 0.5
swaymsg '[app_id="OrvixManager"] move container to workspace 2' >/dev/null
wait_for logged 'DISCONNECT' || fail "the port was kept while the window was out of sight"
mark=$(rx_count)
swaymsg workspace 2 >/dev/null
wait_for bash -c "grep ' RX ' '$WORK/modem.log' | tail -n +$((mark + 1)) | grep -q 'AT+MCS?'" ||
  fail "no AT+MCS? when the window came back"
sleep 1

# Closing sends the set-up commands and ends the program.
mark=$(rx_count)
swaymsg '[app_id="OrvixManager"] kill' >/dev/null
for _ in $(seq 150); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$APP_PID" 2>/dev/null || fail "the program did not end on close"
[ "$(rx_since "$mark")" = "AT+MCS=1 AT+MCD=1 AT+MCM=1 AT+MCR=3 AT+MCW" ] || fail "close sent: $(rx_since "$mark")"

echo "PASS"
