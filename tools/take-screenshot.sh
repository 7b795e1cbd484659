#!/usr/bin/env bash
# Takes the README's picture: the start-up popup over a desktop of this script's own
# (Xvfb + openbox + tint2), taken once the popup has fully risen.
#   tools/take-screenshot.sh [build dir] [output png]      (default build, docs/screenshot.png)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$top/build}/bin" && pwd)
out=${2:-$top/docs/screenshot.png}
source "$top/tools/desktop-session.sh"
start_desktop 1024x640 TSC
xsetroot -solid '#3a5f7d'
"$bin/quietbell" >/dev/null 2>&1 &
pids+=($!)
program=${pids[-1]}

# The popup has risen when its window stops growing.
popup_height() {
  local window size best=0
  for window in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null); do
    size=$(xdotool getwindowgeometry "$window" 2>/dev/null | awk '/Geometry/ { print $2 }')
    [[ $size == 233x* ]] && best=${size#233x}
  done
  echo "$best"
}
risen() {
  local before after
  before=$(popup_height)
  sleep 0.2
  after=$(popup_height)
  ((after > 100 && after == before))
}
wait_until risen
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "wrote $out"
