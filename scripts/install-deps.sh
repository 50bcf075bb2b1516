#!/usr/bin/env bash
# Installs what building, testing and the demo need on Debian 12 (run as root).
# Idempotent: packages already present are not touched.
set -euo pipefail
PKGS=(build-essential cmake pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
      googletest libbenchmark-dev xvfb xauth xdotool x11-utils socat python3 python3-serial imagemagick
      fonts-dejavu-core fonts-liberation2 dbus-daemon dbus-bin at-spi2-core python3-pyatspi librsvg2-bin
      dpkg-dev file lintian appstream desktop-file-utils man-db
      clang-14 libclang-rt-14-dev lld ninja-build
      qt6-wayland sway grim wtype)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "[deps] all packages present"
  exit 0
fi
echo "[deps] installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq "${missing[@]}"
