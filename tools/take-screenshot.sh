#!/usr/bin/env bash
# Takes the README's picture: the start-up popup over a desktop of this script's own
# (Xvfb + openbox + tint2), taken once the popup has fully risen.
#   tools/take-screenshot.sh [build dir] [output png]      (default build, docs/screenshot.png)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$top/build}/bin" && pwd)
out=${2:-$top/docs/screenshot.png}
work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

wait_until() {
  local tries=0
  until "$@"; do
    ((++tries < 300)) || { echo "gave up waiting for: $*" >&2; exit 1; }
    sleep 0.05
  done
}

mkdir -p "$work/home/.config" "$work/runtime"
chmod 700 "$work/runtime"
Xvfb -displayfd 3 -screen 0 1024x640x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
wait_until test -s "$work/display"
export DISPLAY=":$(head -n1 "$work/display")" HOME="$work/home"
export XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
cat >"$work/tint2rc" <<'RC'
panel_items = TSC
panel_position = bottom center horizontal
panel_size = 100% 32
panel_layer = top
strut_policy = follow_size
systray_icon_size = 24
background_color = #303030 100
time1_format = %H:%M
RC
tint2 -c "$work/tint2rc" >/dev/null 2>&1 &
pids+=($!)
wait_until xdotool search --onlyvisible --class tint2 >/dev/null
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
