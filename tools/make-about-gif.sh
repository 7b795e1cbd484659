#!/bin/sh
# Draws the About box's animated picture: a small bell swinging on its hook, eight frames
# a cycle. Writes res/Data/AnimatedFree.gif, or the path given.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../res/Data/AnimatedFree.gif}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

n=0
for angle in 0 9 15 9 0 -9 -15 -9; do
    convert -size 48x36 xc:'#efefef' \
        -fill '#7a5c0d' -draw "rectangle 22,1 26,3" \
        -fill '#d4aa2a' -stroke '#7a5c0d' -strokewidth 1 \
        -draw "translate 24,3 rotate $angle path 'M -8,22 C -8,5 -5,3 0,3 C 5,3 8,5 8,22 L 12,26 L -12,26 Z'" \
        -fill '#7a5c0d' -stroke none \
        -draw "translate 24,3 rotate $angle circle 0,29 0,31.5" \
        +antialias -colors 16 "$work/frame$n.png"
    n=$((n + 1))
done
convert -delay 12 -loop 0 -dispose none "$work"/frame[0-7].png -layers Optimize "$out"
