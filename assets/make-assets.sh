#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the window picture (259 x 60, GIF, 256 colours), the icon (32 x 32,
# 256 colours) that both programs carry, and the icon's sizes for the desktop's
# hicolor theme (hicolor/NxN/apps/velmo.png), all icons from icon.svg. The
# results are checked in; run this only to change them. Needs ImageMagick,
# rsvg-convert (librsvg2-bin) and the DejaVu fonts.
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Picture: the name beside a row of eight lamps, lit in a chase.
lamps=()
for i in 0 1 2 3 4 5 6 7; do
  x=$((138 + i * 16))
  case $i in 2 | 3 | 4) fill='#ffcc00' ;; *) fill='#5a4a1a' ;; esac
  lamps+=(-fill "$fill" -stroke '#333333' -draw "circle $x,44 $((x + 6)),44")
done
convert -size 259x60 xc:white \
  -fill '#1f4e8c' -font "$font" -pointsize 30 -annotate +8+34 'Velmo' \
  -fill '#555555' -pointsize 10 -annotate +10+52 'lys og last fra porten' \
  -stroke '#1f4e8c' -strokewidth 2 -draw 'line 132,22 254,22' -strokewidth 1 \
  "${lamps[@]}" \
  -colors 256 picture.gif

# Icons: drawn from icon.svg at each size.
rsvg-convert -w 32 -h 32 icon.svg | convert png:- -colors 256 PNG8:icon.png
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" icon.svg -o "hicolor/${size}x${size}/apps/velmo.png"
done
