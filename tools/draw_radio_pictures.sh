#!/bin/sh
# Draws the two radio pictures of the buttons form into installation/lib:
#   RadioDisplay.png  front view of a model with display and keypad
#   RadioRotary.png   front view of a rotary model (channel selector, no display)
# The form stretches the picture into a wide frame, so the pictures are wide
# too (560 x 240, the frame's proportions): the radio stands in the middle and
# the programmable buttons are named in the margins, SB1 and SB2 on the left
# side of the radio, A upper right, B lower left and C lower right of the front.
#
# The only words are the button names and PTT, so the pictures need no
# translation.  Needs ImageMagick's convert.  Usage: tools/draw_radio_pictures.sh [output-dir]
set -eu

out=${1:-"$(dirname "$0")/../installation/lib"}
font=DejaVu-Sans

body='#3b3f45'      # housing
edge='#1f2226'      # outlines, knobs
face='#4a4f57'      # front panel
key='#6c737d'       # plain keys
prog='#e08a1e'      # programmable buttons
label='#202020'     # callout texts
line='#8a8a8a'      # callout lines

# Parts both models share: antenna, volume knob, LED, housing, PTT, the two
# side buttons, the front panel, the belt-clip shadow and the side callouts.
common_parts() {
  cat <<EOF
fill '#d9dde2' stroke none rectangle 0,0 559,239
fill none stroke '#c4c8cd' stroke-width 1 rectangle 0,0 559,239
stroke $edge stroke-width 1
fill $edge roundrectangle 236,4 246,48 5,5
fill $edge rectangle 233,40 249,52
fill $edge roundrectangle 304,24 322,48 3,3
fill '#555a61' line 307,26 307,46 line 311,26 311,46 line 315,26 315,46 line 319,26 319,46
fill '#2a2d31' stroke none roundrectangle 336,58 342,226 3,3
fill $body stroke $edge stroke-width 2 roundrectangle 222,48 338,232 14,14
fill $edge stroke $edge stroke-width 1 roundrectangle 213,78 224,120 3,3
fill $prog roundrectangle 214,126 224,144 3,3
fill $prog roundrectangle 214,150 224,168 3,3
fill $face stroke '#2b2e33' stroke-width 1 roundrectangle 231,58 329,222 9,9
stroke $line stroke-width 1 fill none
line 213,135 150,135
line 213,159 150,159
line 213,99 170,99
EOF
  # texts are drawn separately so the stroke settings above do not outline them
}

common_texts() {
  cat <<EOF
fill $label stroke none font $font font-size 15
text 104,140 'SB1'
text 104,164 'SB2'
fill '#666666' font-size 12
text 136,103 'PTT'
EOF
}

# Speaker grille: horizontal slots between y0 and y1.
grille() {
  y=$1
  while [ "$y" -le "$2" ]; do
    echo "fill '#23262a' stroke none roundrectangle 244,$y 316,$((y + 3)) 2,2"
    y=$((y + 8))
  done
}

# The three programmable front buttons and their callouts:
# A upper right, B lower left, C lower right, starting at row y.
front_buttons() {
  y=$1
  yb=$((y + 24))
  cat <<EOF
stroke $edge stroke-width 1 fill $prog
roundrectangle 292,$y 318,$((y + 14)) 4,4
roundrectangle 242,$yb 268,$((yb + 14)) 4,4
roundrectangle 292,$yb 318,$((yb + 14)) 4,4
stroke $line fill none
line 318,$((y + 7)) 410,$((y + 7))
line 242,$((yb + 7)) 150,$((yb + 7))
line 318,$((yb + 7)) 410,$((yb + 7))
fill $label stroke none font $font font-size 15
text 416,$((y + 12)) 'A'
text 132,$((yb + 12)) 'B'
text 416,$((yb + 12)) 'C'
fill '#202020' font-size 11
text 301,$((y + 11)) 'A'
text 251,$((yb + 11)) 'B'
text 301,$((yb + 11)) 'C'
EOF
}

display_model() {
  common_parts
  grille 66 90
  cat <<EOF
fill '#cc2b2b' stroke none circle 272,44 272,40
fill '#9fc48e' stroke '#1e2a1a' stroke-width 2 roundrectangle 242,100 318,134 3,3
fill '#1e2a1a' stroke none font DejaVu-Sans-Mono font-size 13 text 254,122 'CH 01'
stroke $edge stroke-width 1 fill $key
roundrectangle 242,142 268,156 4,4
polygon 273,156 280,143 287,156
polygon 273,167 280,180 287,167
EOF
  front_buttons 142
  # numeric keypad below the function keys
  for r in 0 1; do
    for c in 0 1 2; do
      x=$((246 + c * 24)); y=$((190 + r * 14))
      echo "stroke $edge stroke-width 1 fill $key roundrectangle $x,$y $((x + 18)),$((y + 10)) 3,3"
    done
  done
  common_texts
}

rotary_model() {
  common_parts
  cat <<EOF
stroke $edge stroke-width 1 fill $edge roundrectangle 262,28 282,48 3,3
fill '#555a61' line 266,30 266,46 line 271,30 271,46 line 276,30 276,46
fill '#cc2b2b' stroke none circle 293,44 293,40
EOF
  grille 68 148
  front_buttons 160
  common_texts
}

draw() {
  # the date chunks are left out so that a redraw gives the same file
  convert -size 560x240 xc:white -draw "$(cat "$1")" \
    -define png:exclude-chunks=date,time -strip "$2"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
display_model >"$tmp/display.mvg"
rotary_model >"$tmp/rotary.mvg"
draw "$tmp/display.mvg" "$out/RadioDisplay.png"
draw "$tmp/rotary.mvg" "$out/RadioRotary.png"
