#!/bin/sh
# Draws the program icon (src/res/nuvbrowser.png: a blue globe with a white "n") at the
# sizes of the desktop's hicolor icon theme, from one vector description, into
# desktop/icons/<size>.png. Needs ImageMagick. Run it by hand after changing the drawing;
# the build only installs the results.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$here/icons"
for size in 16 32 48 64 128 256; do
  # Drawn 4 times larger, then reduced: smooth edges at every size.
  big=$((size * 4))
  scale=$(echo "$big / 64" | bc -l)
  convert -size "${big}x${big}" xc:none -draw "
    affine $scale,0,0,$scale,0,0
    fill '#2a5d9f' stroke none circle 32,32 32,3
    fill none stroke '#9cc3ef' stroke-width 1.5
    ellipse 32,32 12.5,28.5 0,360
    ellipse 32,32 28.5,10 0,360
    line 3.5,33 60.5,33
    fill white stroke none
    path 'M22.5,44.5 V24.5 H28.5 V27.8 C30.2,25.4 32.6,24.3 35.3,24.3 C39.6,24.3 42.3,27.2 42.3,32 V44.5 H36.3 V33.2 C36.3,30.6 35.2,29.4 33.2,29.4 C30.6,29.4 28.5,31.2 28.5,34.2 V44.5 Z'
  " -filter Lanczos -resize "${size}x${size}" -strip "PNG32:$here/icons/$size.png"
done
