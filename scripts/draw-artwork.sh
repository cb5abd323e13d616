#!/usr/bin/env bash
# Draws the executable's artwork with ImageMagick: the wizard's 120x228 side image
# (8-bit palette BMP) and the two icons. The results are committed in resources/.
set -euo pipefail
cd "$(dirname "$0")/../resources"

# Side image: a night-blue gradient with a few pale "script" lines and a brush stroke.
convert -size 120x228 gradient:'#1b3fb0'-'#03051a' \
  -fill '#ffffff30' -draw 'rectangle 14,40 106,42' -draw 'rectangle 14,52 90,54' \
  -draw 'rectangle 14,64 98,66' -draw 'rectangle 14,76 70,78' \
  -fill none -stroke '#f0c040' -strokewidth 5 -draw 'bezier 18,190 50,120 80,200 104,110' \
  -stroke none -fill '#ffffff' -pointsize 26 -font DejaVu-Serif-Bold-Italic -annotate +16+158 'Q2' \
  -colors 256 -type Palette -compress None +set date:create +set date:modify -define bmp:format=bmp3 \
  BMP3:side.bmp

icon() { # size output
  convert -size "$1x$1" gradient:'#2050e0'-'#02082a' \
    -fill '#f0c040' -draw "circle $(( $1 / 2 )),$(( $1 / 2 )) $(( $1 / 2 )),$(( $1 / 6 ))" \
    -fill '#02082a' -draw "circle $(( $1 / 2 )),$(( $1 / 2 )) $(( $1 / 2 )),$(( $1 / 3 ))" \
    -draw "rectangle $(( $1 / 2 )),$(( $1 / 2 )) $(( $1 * 5 / 6 )),$(( $1 * 5 / 6 ))" \
    +set date:create +set date:modify "$2"
}
icon 32 /tmp/qntx-icon32.png
icon 16 /tmp/qntx-icon16.png
icon 48 /tmp/qntx-icon48.png
convert /tmp/qntx-icon16.png /tmp/qntx-icon32.png /tmp/qntx-icon48.png setup.ico
convert /tmp/qntx-icon16.png setup-small.ico
rm -f /tmp/qntx-icon16.png /tmp/qntx-icon32.png /tmp/qntx-icon48.png
