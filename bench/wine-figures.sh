#!/usr/bin/env bash
# The Windows build under Wine beside the Linux build, on one Xvfb + openbox + tint2 desktop of
# this script's own and a fresh Wine prefix:
#   - time from start to the tray icon docked: the Linux build's median of RUNS starts after one
#     warm-up; under Wine the one first start in the fresh prefix (explorer starting too),
#   - resident memory after MEMORY_SECONDS idle seconds: the program's own process, and under
#     Wine also what Wine's own processes (wineserver, explorer, services) hold beside it.
# Usage: bench/wine-figures.sh <Windows build dir> [Linux build dir]   (RUNS=5 MEMORY_SECONDS=60)
# The Windows program is installed from <Windows build dir>/quietbell-<version>-setup.exe.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
windows_build=$(cd "${1:?usage: bench/wine-figures.sh <Windows build dir> [Linux build dir]}" && pwd)
linux_program=$(cd "${2:-$top/build}/bin" && pwd)/quietbell
runs=${RUNS:-5}
memory_seconds=${MEMORY_SECONDS:-60}
installer=$(ls "$windows_build"/quietbell-*-setup.exe | head -n1)

source "$top/tools/desktop-session.sh"
source "$top/bench/process-timing.sh"

# Wine's explorer embeds a Windows program's icon in the tray: its windows inside tint2's. One
# xwininfo was seen to hang while Wine's windows changed; the next look answers.
wine_icons() {
  { timeout 5 xwininfo -tree -id "$(xdotool search --onlyvisible --class '^tint2$' 2>/dev/null | head -n1)" 2>/dev/null |
    grep -o '^ *0x[0-9a-f]* .*"explorer.exe"' || true; } | awk '{ print $1 }' | sort
}

wine_docked() {
  [[ -n "$(wine_icons)" ]]
}

# Milliseconds from start to the docked icon of the program that stays running (wine_pid);
# once per prefix: Wine's explorer may keep a killed program's icon for the next start.
wine_start_ms() {
  local begin
  begin=$(now_ns)
  wine "$program_path" >>"$work/wine.log" 2>&1 &
  wine_pid=$!
  pids+=($!)
  until wine_docked; do
    kill -0 "$wine_pid" 2>/dev/null || { echo "the Windows program ended before its icon docked" >&2; exit 1; }
  done
  echo $((($(now_ns) - begin) / 1000000)) >"$work/wine.times"
}


start_desktop 1280x800 TS
export WINEPREFIX=$work/wine WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -p
cleanup_wine() { wineserver -k || true; wineserver -w || true; cleanup; }
trap cleanup_wine EXIT
wineboot --init >>"$work/wine.log" 2>&1
wine "$installer" /S
program_path="C:\\Program Files\\Quietbell\\quietbell.exe"
echo "desktop $DISPLAY: Xvfb + openbox + tint2; $runs starts each after a warm-up, idle $memory_seconds s"
echo "installed $(basename "$installer") into a fresh prefix"

start_time_ms "$linux_program" >/dev/null
: >"$work/linux.times"
for ((run = 0; run < runs; ++run)); do
  start_time_ms "$linux_program" >>"$work/linux.times"
done
# The first start in the fresh prefix, with Wine's explorer starting too, as at login.
wine_start_ms

"$linux_program" >>"$work/linux.log" 2>&1 &
linux_pid=$!
pids+=($!)
sleep "$memory_seconds"
# Wine's own processes of this prefix (other prefixes may run beside it).
wine_services_kib=$(pgrep -f 'wineserver|C:\\windows\\system32\\' | while read -r pid; do
  tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && rss_kib "$pid"
done | awk '{ s += $1 } END { print s + 0 }')
printf '%-22s %14s %12s\n' program "start to dock" "RSS after"
printf '%-22s %11d ms %8.1f MiB\n' "Linux quietbell" "$(median <"$work/linux.times")" \
  "$(awk -v k="$(rss_kib "$linux_pid")" 'BEGIN { print k / 1024 }')"
printf '%-22s %11d ms %8.1f MiB (+ %.1f MiB of Wine'"'"'s own processes)\n' "quietbell.exe (Wine)" \
  "$(median <"$work/wine.times")" "$(awk -v k="$(rss_kib "$wine_pid")" 'BEGIN { print k / 1024 }')" \
  "$(awk -v k="$wine_services_kib" 'BEGIN { print k / 1024 }')"
