#!/bin/sh
# Builds the GIF walk's fuzz harness with clang and runs it on a copy of the committed
# corpus for the given number of seconds (default 60).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${QB_FUZZ_BUILD:-$here/../../build-fuzz}
CXX=clang++ cmake -S "$here" -B "$build" -G Ninja >/dev/null
cmake --build "$build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/corpus/gif_walk/* "$work"/
"$build"/gif_walk_fuzz -max_total_time="${1:-60}" -max_len=65536 "$work" "$here"/corpus/gif_walk
