#!/bin/sh
# Draws the start-up picture src/app/resources/splash.png.
set -e
cd "$(dirname "$0")/.."
convert -size 480x300 gradient:'#0b3d6b'-'#1c6fb3' \
  -fill '#ffffff' -font DejaVu-Sans-Bold -pointsize 30 -annotate +32+92 'ZR4400 & ZR4480' \
  -font DejaVu-Sans -pointsize 22 -annotate +32+128 'Distributor CPS' \
  -fill '#f0a030' -draw 'rectangle 32,146 250,150' \
  -fill '#d8e6f5' -pointsize 14 -annotate +32+186 'Customer Programming Software' \
  -annotate +32+208 'for business two-way radios' \
  -fill '#9fbfe0' -pointsize 12 -annotate +32+276 'Velmora' \
  -fill '#2a2a2a' -draw 'roundrectangle 380,70 430,240 8,8' \
  -fill '#444444' -draw 'rectangle 398,20 406,70' \
  -fill '#7cc47c' -draw 'rectangle 388,90 422,120' \
  -fill '#555555' -draw 'rectangle 388,140 422,200' \
  -strip src/app/resources/splash.png
