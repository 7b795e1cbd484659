#!/usr/bin/env bash
# Draws the popup skin: a 24-bit 233 x 167 bitmap, an ornamental gold frame around a plain
# white field that covers (30, 30)-(203, 137), the rectangle the phrase is drawn in.
#   tools/make-skin.sh [output]        (default: res/images/NotifierSkin.bmp)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$top/res/images/NotifierSkin.bmp}

# Beads along the frame's middle band, every 12 pixels, and a rosette in each corner.
beads=()
for x in $(seq 24 12 209); do
  beads+=(-draw "circle $x,15 $x,17.5" -draw "circle $x,151 $x,153.5")
done
for y in $(seq 27 12 140); do
  beads+=(-draw "circle 15,$y 17.5,$y" -draw "circle 217,$y 219.5,$y")
done
rosettes=()
for corner in "15,15" "217,15" "15,151" "217,151"; do
  cx=${corner%,*} cy=${corner#*,}
  rosettes+=(-fill '#7a4f0c' -draw "circle $cx,$cy $((cx + 9)),$cy"
             -fill '#f6dc86' -draw "circle $cx,$cy $((cx + 6)),$cy"
             -fill '#9c6a12' -draw "circle $cx,$cy $((cx + 3)),$cy")
done

convert -size 167x233 gradient:'#fbe7a1-#a8770f' -rotate 90 \
  -fill none -stroke '#5e3a06' -strokewidth 2 -draw 'rectangle 1,1 231,165' \
  -stroke '#fff3c4' -strokewidth 1 -draw 'rectangle 4,4 228,162' \
  -stroke '#7a4f0c' -draw 'rectangle 7,7 225,159' \
  -draw 'rectangle 23,23 209,143' \
  -stroke '#fff3c4' -draw 'rectangle 26,26 206,140' \
  -stroke none -fill '#7a4f0c' "${beads[@]}" \
  "${rosettes[@]}" \
  -fill '#5e3a06' -draw 'rectangle 28,28 204,138' \
  -fill white -draw 'rectangle 30,30 202,136' \
  -alpha off -type TrueColor BMP3:"$out"
