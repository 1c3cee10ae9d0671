#!/usr/bin/env bash
# Draws the decoder's three pictures with ImageMagick (Debian's imagemagick
# package and its DejaVu fonts). The GIFs are kept in the repository; run
# this only to change them. Each is drawn on the decoder page's background
# colour, which then becomes transparent, so that edges blend into it.
set -euo pipefail
cd "$(dirname "$0")"

convert=/usr/bin/convert  # a convert earlier in PATH may be something else
page=#fff8e0
navy=#000080

# Tag.gif, drawn at (22, 4): the decoder's name on a label with a punched hole.
"$convert" -size 196x26 xc:"$page" \
  -fill "$navy" -draw "roundrectangle 0,0 195,25 6,6" \
  -fill "$page" -draw "circle 10,13 10,9" \
  -fill white -font DejaVu-Sans-Bold -pointsize 14 -gravity center \
  -annotate +8+0 "Nemora Decoder" \
  -transparent "$page" +dither -colors 32 Tag.gif

# Icon.gif, drawn at (8, 38): a padlock.
"$convert" -size 32x32 xc:"$page" \
  -fill none -stroke "#707070" -strokewidth 4 -draw "arc 8,2 24,22 180,360" \
  -draw "line 8,12 8,16" -draw "line 24,12 24,16" \
  -stroke "#8a5a00" -strokewidth 1 -fill "#e0a820" -draw "roundrectangle 4,14 27,30 3,3" \
  -stroke none -fill "#503000" -draw "circle 16,20 16,18" -draw "rectangle 15,20 17,26" \
  -transparent "$page" +dither -colors 16 Icon.gif

# vostel.gif, drawn at (166, 68): the maker's small logo, clear of the bar above it.
"$convert" -size 66x30 xc:"$page" \
  -fill "$navy" -font DejaVu-Sans-Bold-Oblique -pointsize 13 -annotate +4+20 "Vostel" \
  -stroke "#c08000" -strokewidth 2 -draw "line 6,25 60,25" \
  -transparent "$page" +dither -colors 16 vostel.gif
