# Sourced by the scripts that need a desktop of their own: Xvfb + openbox + tint2 with a tray,
# in a temporary home; every process it starts is stopped by its pid when the script ends.
#   source tools/desktop-session.sh; start_desktop 1024x640 TSC
#   pids+=($!) for each program the script starts itself.

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
  until "$@" >/dev/null 2>&1; do
    ((++tries < 300)) || { echo "gave up waiting for: $*" >&2; exit 1; }
    sleep 0.05
  done
}

# start_desktop SIZE PANEL_ITEMS: a screen of SIZE (WxH) with a bottom panel holding
# PANEL_ITEMS (tint2's letters: T taskbar, S systray, C clock).
start_desktop() {
  mkdir -p "$work/home/.config" "$work/runtime"
  chmod 700 "$work/runtime"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work/display" \
    >"$work/Xvfb.log" 2>&1 &
  pids+=($!)
  wait_until test -s "$work/display"
  export DISPLAY=":$(head -n1 "$work/display")" HOME="$work/home"
  export XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb
  unset WAYLAND_DISPLAY
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  cat >"$work/tint2rc" <<RC
panel_items = $2
panel_position = bottom center horizontal
panel_size = 100% 32
panel_layer = top
strut_policy = follow_size
systray_icon_size = 24
background_color = #303030 100
time1_format = %H:%M
RC
  tint2 -c "$work/tint2rc" >"$work/tint2.log" 2>&1 &
  pids+=($!)
  wait_until xdotool search --onlyvisible --class tint2
  # The tray selection follows the panel window.
  sleep 1
}
