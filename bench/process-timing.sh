# Sourced by the figure scripts: time to a docked tray icon and resident memory of a process.
# Needs tools/desktop-session.sh ($work, a desktop on DISPLAY).

now_ns() { date +%s%N; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The tray icon of a process: its viewable window of the tray's icon size.
docked() {
  local window
  for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    xdotool getwindowgeometry "$window" 2>/dev/null | grep -q 'Geometry: 24x24' && return 0
  done
  return 1
}

stop() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# Milliseconds from the start of a program to its docked icon; the program is stopped then.
start_time_ms() {
  local begin pid
  begin=$(now_ns)
  "$1" >>"$work/programs.log" 2>&1 &
  pid=$!
  until docked "$pid"; do
    kill -0 "$pid" 2>/dev/null || { echo "$1 ended before its icon docked" >&2; exit 1; }
  done
  echo $((($(now_ns) - begin) / 1000000))
  stop "$pid"
}
