#!/usr/bin/env bash
# Whole-process figures of quietbell beside a bare Qt program that only shows one tray icon,
# both measured in the same run on one Xvfb + openbox + tint2 desktop of this script's own:
#   - time from start to the tray icon docked (median of RUNS starts each, after one warm-up),
#   - resident memory after MEMORY_SECONDS idle seconds,
#   - CPU time over the CPU_SECONDS idle seconds that follow.
# Usage: bench/process-figures.sh [build dir]   (RUNS=7 MEMORY_SECONDS=60 CPU_SECONDS=300)
# Both idle runs see a wall clock set to hh:00:30 (faketime), so no timed reminder falls
# into the idle time; quietbell shows only its start-up phrase, which is gone by then.
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$top/build}/bin" && pwd)
runs=${RUNS:-7}
memory_seconds=${MEMORY_SECONDS:-60}
cpu_seconds=${CPU_SECONDS:-300}
faketime_lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
programs=("$bin/qb_bench_bare_tray" "$bin/quietbell")

source "$top/tools/desktop-session.sh"
source "$top/bench/process-timing.sh"

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

start_desktop 1280x800 TS
echo "desktop $DISPLAY: Xvfb + openbox + tint2; $runs starts each, idle $memory_seconds s + $cpu_seconds s"

declare -A start_ms
for program in "${programs[@]}"; do start_time_ms "$program" >/dev/null; done
for program in "${programs[@]}"; do : >"$work/$(basename "$program").times"; done
for ((run = 0; run < runs; ++run)); do
  for program in "${programs[@]}"; do
    start_time_ms "$program" >>"$work/$(basename "$program").times"
  done
done
for program in "${programs[@]}"; do
  start_ms[$program]=$(median <"$work/$(basename "$program").times")
done

declare -A idle_pid
for program in "${programs[@]}"; do
  LD_PRELOAD=$faketime_lib FAKETIME="@2024-03-14 10:00:30" FAKETIME_DONT_FAKE_MONOTONIC=1 \
    "$program" >>"$work/programs.log" 2>&1 &
  idle_pid[$program]=$!
  pids+=($!)
done
sleep "$memory_seconds"
declare -A rss ticks_before
for program in "${programs[@]}"; do
  rss[$program]=$(rss_kib "${idle_pid[$program]}")
  ticks_before[$program]=$(cpu_ticks "${idle_pid[$program]}")
done
sleep "$cpu_seconds"
hz=$(getconf CLK_TCK)
bare=${programs[0]}
printf '%-20s %14s %12s %16s\n' program "start to dock" "RSS after" "idle CPU"
for program in "${programs[@]}"; do
  ticks=$(($(cpu_ticks "${idle_pid[$program]}") - ticks_before[$program]))
  awk -v name="$(basename "$program")" -v ms="${start_ms[$program]}" -v kib="${rss[$program]}" \
      -v ticks="$ticks" -v hz="$hz" -v secs="$cpu_seconds" \
      -v bare_ms="${start_ms[$bare]}" -v bare_kib="${rss[$bare]}" 'BEGIN {
    printf "%-20s %8d ms %4.2fx %7.1f MiB %4.2fx %6.3f s %6.4f %%\n", name, ms, ms / bare_ms,
      kib / 1024, kib / bare_kib, ticks / hz, 100 * ticks / hz / secs
  }'
done
