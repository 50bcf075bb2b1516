#!/usr/bin/env bash
# Checks the program as a Debian user gets it, from a finished build:
#  - cmake --install into a temporary prefix: the files are there, the desktop
#    entry, the AppStream data and the manual pages pass their validators;
#  - the installed program runs the auto-close dialogue against the installed
#    emulator (offscreen) and keeps its settings in the per-user folder;
#  - cpack -G DEB: control data, dependencies, lintian without errors, and an
#    install and purge into a private dpkg root that leaves nothing behind.
# Usage: scripts/check-install.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")

WORK=$(mktemp -d)
SIM_PID=
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "[install] FAILED: $*" >&2
  exit 1
}

APP_ID=$(sed -n 's/^ORVIX_APP_ID:STRING=//p' "$BUILD/CMakeCache.txt")
[ -n "$APP_ID" ] || fail "no ORVIX_APP_ID in $BUILD/CMakeCache.txt"
PREFIX="$WORK/prefix"

echo "[install] cmake --install $BUILD --prefix $PREFIX"
cmake --install "$BUILD" --prefix "$PREFIX" >/dev/null
DOC="$PREFIX/share/doc/orvixmanager"
for f in bin/OrvixManager bin/orvix-modem-sim \
         "share/applications/$APP_ID.desktop" "share/metainfo/$APP_ID.metainfo.xml" \
         "share/icons/hicolor/scalable/apps/$APP_ID.svg" \
         share/man/man1/OrvixManager.1.gz share/man/man1/orvix-modem-sim.1.gz; do
  [ -f "$PREFIX/$f" ] || fail "$f is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$PREFIX/share/icons/hicolor/${size}x${size}/apps/$APP_ID.png"
  [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "$png is not ${size}x${size}"
done
for f in README.md copyright changelog.gz docs/screenshot.png examples/demo.scn; do
  [ -f "$DOC/$f" ] || fail "share/doc/orvixmanager/$f is not installed"
done

DESKTOP="$PREFIX/share/applications/$APP_ID.desktop"
echo "[install] desktop-file-validate $APP_ID.desktop"
desktop-file-validate "$DESKTOP"
# Any argument would switch the auto-close rule on.
grep -Eq "^Exec=$PREFIX/bin/OrvixManager\$" "$DESKTOP" || fail "Exec line: $(grep '^Exec=' "$DESKTOP")"

echo "[install] appstreamcli validate --no-net $APP_ID.metainfo.xml"
appstreamcli validate --no-net "$PREFIX/share/metainfo/$APP_ID.metainfo.xml"

for page in OrvixManager orvix-modem-sim; do
  echo "[install] man --warnings $page.1"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$PREFIX/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

echo "[install] the installed program against the installed emulator (auto-close)"
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" QT_QPA_PLATFORM=offscreen
unset ORVIX_SETTINGS
mkdir -p "$HOME" "$XDG_CONFIG_HOME/OrvixManager"
# An empty store: with an argument the program sets the modem up, restarts
# its clock (writing the reference into the settings file) and ends unseen.
printf 'clock off\nselfmode off\npowered on\n' >"$WORK/empty.scn"
"$PREFIX/bin/orvix-modem-sim" --listen 127.0.0.1:0 --scenario "$WORK/empty.scn" \
  --log "$WORK/modem.log" >"$WORK/sim.out" &
SIM_PID=$!
for _ in $(seq 100); do [ -s "$WORK/sim.out" ] && break; sleep 0.05; done
URL=$(head -n1 "$WORK/sim.out")
[[ "$URL" == rfc2217://* ]] || fail "the emulator did not start: $URL"
SETTINGS="$XDG_CONFIG_HOME/OrvixManager/OrvixManager.ini"
printf '[General]\nDeviceName=%s\n' "$URL" >"$SETTINGS"
touch "$WORK/before-run"
status=0
timeout 60 "$PREFIX/bin/OrvixManager" --from-ci >"$WORK/app.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || { cat "$WORK/app.out" >&2; fail "OrvixManager ended with status $status"; }
[ "$(grep -c ' RX AT+MCS=1$' "$WORK/modem.log")" -eq 2 ] || fail "self mode not set up at start and at close"
grep -q ' RX AT+MSR=0$' "$WORK/modem.log" || fail "the message store was not read"
grep -q ' RX AT+MCC$' "$WORK/modem.log" || fail "the modem clock was not restarted"
grep -q '^\[ClockReset\]' "$SETTINGS" && grep -q '^Date=' "$SETTINGS" ||
  fail "no clock reference in $SETTINGS"
[ ! -e "$PREFIX/bin/OrvixManager.ini" ] || fail "settings written beside the executable"
written=$(find "$PREFIX" -newer "$WORK/before-run" -print)
[ -z "$written" ] || fail "the program wrote into its prefix: $written"
kill "$SIM_PID"
wait "$SIM_PID" 2>/dev/null || true
SIM_PID=
echo "[install] settings kept in $SETTINGS"

echo "[package] cpack -G DEB"
rm -f "$BUILD"/orvixmanager_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls "$BUILD"/orvixmanager_*.deb)
dpkg-deb --field "$DEB" Package Version Architecture Maintainer Section Priority Depends
for field in Maintainer Section Description Depends; do
  [ -n "$(dpkg-deb --field "$DEB" "$field")" ] || fail "no $field in the control file"
done
depends=$(dpkg-deb --field "$DEB" Depends)
for dep in fonts-liberation2 libqt6widgets6 libc6; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done
# Nothing but the control file and the checksums: no maintainer scripts, no
# configuration files that a removal would leave.
control=$(dpkg-deb --ctrl-tarfile "$DEB" | tar -t | sed 's#^\./##' | grep -v '^$' | sort | tr '\n' ' ')
[ "$control" = "control md5sums " ] || fail "unexpected control members: $control"

echo "[package] lintian $(basename "$DEB")"
lintian --fail-on error "$DEB" || fail "lintian reports errors"

echo "[package] install and purge in a private dpkg root"
ROOT="$WORK/root"
mkdir -p "$ROOT/var/lib/dpkg/info" "$ROOT/var/lib/dpkg/updates"
touch "$ROOT/var/lib/dpkg/status"
# Its own database and lock: the system's packages are never touched.
DPKG=(dpkg --root="$ROOT" --force-not-root --force-depends --force-script-chrootless)
# Without the dependencies there, dpkg says so at length; shown on failure only.
"${DPKG[@]}" -i "$DEB" >"$WORK/dpkg.out" 2>&1 || { cat "$WORK/dpkg.out" >&2; fail "dpkg -i"; }
desktop-file-validate "$ROOT/usr/share/applications/$APP_ID.desktop"
grep -q '^Exec=OrvixManager$' "$ROOT/usr/share/applications/$APP_ID.desktop" || fail "packaged Exec line"
[ -x "$ROOT/usr/bin/OrvixManager" ] || fail "the package holds no /usr/bin/OrvixManager"
"${DPKG[@]}" --purge orvixmanager >"$WORK/dpkg.out" 2>&1 || { cat "$WORK/dpkg.out" >&2; fail "dpkg --purge"; }
left=$(find "$ROOT" -mindepth 1 -not -path "$ROOT/var/lib/dpkg*" -not -path "$ROOT/var/lib" -not -path "$ROOT/var")
[ -z "$left" ] || fail "left after purge: $left"

echo "[package] $(basename "$DEB"): $(stat -c %s "$DEB") bytes"
