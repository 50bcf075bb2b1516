# Sourced first by the X11 flow scripts, with the script's own path and
# arguments and the tools it needs besides Xvfb:
#   source "$(dirname "$0")/x11_session.sh" "$0" "$@" -- xdotool
# Skips the script (exit status 77) when a tool is missing, runs it again
# under an Xvfb of its own (800 x 600) unless it already runs under one, and
# puts Qt on X. APP and SIM are the first two arguments; then it sources
# program_flow.sh.
x11_script=$1
shift
x11_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  x11_args+=("$1")
  shift
done
[ $# -gt 0 ] && shift
for tool in Xvfb "$@"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ -z "${ORVIX_X11_DISPLAY_UP:-}" ]; then
  ORVIX_X11_DISPLAY_UP=1 exec "$(dirname "${BASH_SOURCE[0]}")/../common/own_display.sh" 800x600x24 \
    bash "$x11_script" "${x11_args[@]}"
fi
export QT_QPA_PLATFORM=xcb
APP=${x11_args[0]}
SIM=${x11_args[1]}
source "$(dirname "${BASH_SOURCE[0]}")/../common/program_flow.sh"
