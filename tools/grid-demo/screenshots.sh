#!/usr/bin/env bash
# The grid showcase's pictures in docs/grid.md, made offscreen from a build:
# the whole window, and close-ups of an open list, a suggestion and a title
# held down. Usage: tools/grid-demo/screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
demo="${1:-build}/tools/grid-demo/orvix-grid-demo"
[ -x "$demo" ] || { echo "no $demo: build first" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A fresh per-user store (no widths from earlier runs) and a fixed locale.
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$tmp/config" LC_ALL=C.UTF-8
shot() { "$demo" --screenshot "$tmp/$1.png" --scene "$1"; }
for scene in window list suggestion title; do shot "$scene"; done
cp "$tmp/window.png" docs/grid-demo.png
# Close-ups: WIDTHxHEIGHT+LEFT+TOP of the window's picture.
convert "$tmp/list.png" -crop 380x230+0+30 +repage docs/grid-demo-list.png
convert "$tmp/suggestion.png" -crop 380x150+360+30 +repage docs/grid-demo-suggestion.png
convert "$tmp/title.png" -crop 380x110+0+30 +repage docs/grid-demo-title.png
echo "written: docs/grid-demo.png docs/grid-demo-list.png docs/grid-demo-suggestion.png docs/grid-demo-title.png"
