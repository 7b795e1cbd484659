#!/bin/sh
# Draws the About box's animated picture: a small bell swinging on its hook, eight frames
# a cycle, and the same drawn afresh at twice the size for dense screens (Qt's @2x twin).
# Writes res/Data/AnimatedFree.gif and AnimatedFree@2x.gif, or the path given and its twin.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../res/Data/AnimatedFree.gif}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# draw_gif SCALE OUTPUT: the 1x drawing under a scale, so that the larger one is painted at
# its own resolution.
draw_gif() {
    s=$1
    n=0
    for angle in 0 9 15 9 0 -9 -15 -9; do
        convert -size $((48 * s))x$((36 * s)) xc:'#efefef' \
            -fill '#7a5c0d' -draw "scale $s,$s rectangle 22,1 26,3" \
            -fill '#d4aa2a' -stroke '#7a5c0d' -strokewidth 1 \
            -draw "scale $s,$s translate 24,3 rotate $angle path 'M -8,22 C -8,5 -5,3 0,3 C 5,3 8,5 8,22 L 12,26 L -12,26 Z'" \
            -fill '#7a5c0d' -stroke none \
            -draw "scale $s,$s translate 24,3 rotate $angle circle 0,29 0,31.5" \
            +antialias -colors 16 "$work/frame$n.png"
        n=$((n + 1))
    done
    convert -delay 12 -loop 0 -dispose none "$work"/frame[0-7].png -layers Optimize "$2"
}

draw_gif 1 "$out"
draw_gif 2 "${out%.*}@2x.${out##*.}"
