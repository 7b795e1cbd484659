#!/usr/bin/env bash
# Draws the popup skin: a 24-bit 233 x 167 bitmap, an ornamental gold frame around a plain
# white field that covers (30, 30)-(203, 137), the rectangle the phrase is drawn in; and the
# same skin drawn afresh at twice the size for dense screens (Qt's @2x twin), its hairlines
# one device pixel wide and its beads round at that size rather than scaled up.
#   tools/make-skin.sh [output]        (default: res/images/NotifierSkin.bmp, and ...@2x.bmp)
set -euo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$top/res/images/NotifierSkin.bmp}

# draw_skin SCALE OUTPUT: every coordinate of the 1x drawing times SCALE.
draw_skin() {
  local s=$1 out=$2
  # A pixel-centred coordinate: the middle of 1x pixel v at this scale.
  px() { echo "$(( $1 * s + (s - 1) / 2 ))"; }
  # A hairline rectangle through the 1x pixels a..b, one device pixel wide.
  hairline() { echo "rectangle $(px "$1"),$(px "$1") $(px "$2"),$(px "$3")"; }

  # A point on a bead's rim: 2.5 pixels from its centre at 1x.
  bead_edge() { awk -v c="$1" -v s="$s" 'BEGIN { print c + 2.5 * s }'; }

  # Beads along the frame's middle band, every 12 pixels, and a rosette in each corner.
  local beads=() x y
  for x in $(seq 24 12 209); do
    for y in 15 151; do
      beads+=(-draw "circle $(px "$x"),$(px "$y") $(px "$x"),$(bead_edge "$(px "$y")")")
    done
  done
  for y in $(seq 27 12 140); do
    for x in 15 217; do
      beads+=(-draw "circle $(px "$x"),$(px "$y") $(bead_edge "$(px "$x")"),$(px "$y")")
    done
  done
  local rosettes=() corner cx cy
  for corner in "15,15" "217,15" "15,151" "217,151"; do
    cx=$(px "${corner%,*}") cy=$(px "${corner#*,}")
    rosettes+=(-fill '#7a4f0c' -draw "circle $cx,$cy $((cx + 9 * s)),$cy"
               -fill '#f6dc86' -draw "circle $cx,$cy $((cx + 6 * s)),$cy"
               -fill '#9c6a12' -draw "circle $cx,$cy $((cx + 3 * s)),$cy")
  done

  convert -size $((167 * s))x$((233 * s)) gradient:'#fbe7a1-#a8770f' -rotate 90 \
    -fill none -stroke '#5e3a06' -strokewidth $((2 * s)) \
    -draw "rectangle $((s)),$((s)) $((231 * s)),$((165 * s))" \
    -stroke '#fff3c4' -strokewidth 1 -draw "$(hairline 4 228 162)" \
    -stroke '#7a4f0c' -draw "$(hairline 7 225 159)" \
    -draw "rectangle $(px 23),$(px 23) $(px 209),$(px 143)" \
    -stroke '#fff3c4' -draw "rectangle $(px 26),$(px 26) $(px 206),$(px 140)" \
    -stroke none -fill '#7a4f0c' "${beads[@]}" \
    "${rosettes[@]}" \
    -fill '#5e3a06' -draw "rectangle $((28 * s)),$((28 * s)) $((205 * s - 1)),$((139 * s - 1))" \
    -fill white -draw "rectangle $((30 * s)),$((30 * s)) $((203 * s - 1)),$((137 * s - 1))" \
    -alpha off -type TrueColor BMP3:"$out"
}

draw_skin 1 "$out"
draw_skin 2 "${out%.*}@2x.${out##*.}"
