#!/usr/bin/env bash
# The longest stall of quietbell's user-interface thread (qb_bench_ui_stall) on an
# Xvfb + openbox + tint2 desktop of this script's own, with an opener on the PATH that takes
# 30 s, as xdg-open does on a plain window manager until the browser is up.
# Usage: bench/ui-stall.sh [build dir]   (RUNS=3)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$top/build}/bin" && pwd)
runs=${RUNS:-3}

source "$top/tools/desktop-session.sh"

start_desktop 1280x800 TS
mkdir -p "$work/opener"
printf '#!/bin/sh\nexec sleep 30\n' >"$work/opener/xdg-open"
chmod +x "$work/opener/xdg-open"
echo "desktop $DISPLAY: Xvfb + openbox + tint2; opener: sleep 30"
for ((run = 1; run <= runs; ++run)); do
  echo "run $run"
  PATH="$work/opener:$PATH" "$bin/qb_bench_ui_stall" 2>>"$work/bench.log"
done
