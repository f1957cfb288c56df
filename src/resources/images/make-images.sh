#!/usr/bin/env bash
# Regenerates the four JPEG pictures of the program's screens and reports with ImageMagick 6
# (convert). No text is drawn: the screens and reports draw their own captions.
#   startup_background.jpg  715x591  first screen (the middle stays light: the buttons sit there)
#   main_background.jpg     520x420  main menu
#   login_picture.jpg       160x160  emblem of the login screen
#   report_logo.jpg         200x200  logo of the report headers (prints well in grey too)
# Usage: src/resources/images/make-images.sh      (writes the files beside this script)
set -euo pipefail

out=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
jpeg=(-strip -sampling-factor 4:2:0 -interlace none -quality 85)

# One puzzle piece, white on transparent, 300x300: a rounded square body with knobs on its
# right and bottom sides and matching sockets on its left and top sides. Identical pieces set
# 180 px apart interlock with a 6 px gap.
convert -size 300x300 xc:none -fill white \
  -draw "roundrectangle 64,64 236,236 18,18" \
  -draw "circle 262,150 286,150" -draw "rectangle 228,140 246,160" \
  -draw "circle 150,262 150,286" -draw "rectangle 140,228 160,246" \
  \( -size 300x300 xc:none -fill white \
     -draw "circle 82,150 112,150" -draw "rectangle 40,134 72,166" \
     -draw "circle 150,82 150,112" -draw "rectangle 134,40 166,72" \) \
  -compose DstOut -composite "$tmp/piece.png"

# The emblem's piece: flat on its top and left sides, a knob on its right side and a socket
# in its bottom side. Turned by 0, 90, 180 and 270 degrees, four of them lock into a square
# with flat outer sides (a pinwheel: each knob enters the next piece clockwise).
convert -size 300x300 xc:none -fill white \
  -draw "roundrectangle 64,64 236,236 18,18" \
  -draw "circle 262,150 286,150" -draw "rectangle 228,140 246,160" \
  \( -size 300x300 xc:none -fill white \
     -draw "circle 150,218 150,248" -draw "rectangle 134,228 166,260" \) \
  -compose DstOut -composite "$tmp/corner.png"

# piece COLOUR ANGLE SIZE OPACITY CX CY [TEMPLATE]: the convert arguments that lay one tinted,
# turned (clockwise), scaled and faded piece centred on (CX,CY) over the image so far.
piece() {
  local colour=$1 angle=$2 size=$3 opacity=$4 cx=$5 cy=$6 template=${7:-piece}
  printf '%s\n' '(' "$tmp/$template.png" -fill "$colour" -colorize 100 \
    -virtual-pixel transparent -distort SRT "$angle" -resize "${size}x${size}" \
    -channel A -evaluate multiply "$opacity" +channel ')' \
    -geometry "$(printf '%+d%+d' $((cx - size / 2)) $((cy - size / 2)))" -compose over -composite
}

# bokeh W H "cx,cy,r,colour ..." : a layer of soft blurred discs
bokeh() {
  local w=$1 h=$2 discs=$3 args=() c
  for c in $discs; do
    IFS=, read -r x y r col <<<"$c"
    args+=(-fill "$col" -draw "circle $x,$y $((x + r)),$y")
  done
  convert -size "${w}x${h}" xc:none "${args[@]}" -blur 0x9 "$tmp/bokeh-${w}x${h}.png"
}

teal='#4FA3A5'; blue='#5E9FD0'; sky='#8CC8E6'; sand='#E9C98F'; coral='#E8A594'; lilac='#A7A3D6'

# ---- startup_background.jpg ------------------------------------------------------------
W=715; H=591
bokeh $W $H "60,520,70,#ffffff66 650,70,80,#ffffff55 600,520,40,#ffffff44 120,90,35,#ffffff44 360,560,50,#ffffff33"
mapfile -t P < <(
  piece "$teal"  -18 150 0.30  70  80
  piece "$sky"    12 110 0.35 170  28
  piece "$sand"   28  90 0.30  36 200
  piece "$lilac" -35  70 0.25 150 150
  piece "$blue"   20 160 0.28 650 515
  piece "$coral" -14 100 0.28 560 560
  piece "$teal"   40  90 0.30 690 390
  piece "$sky"   -25  64 0.30 600 440
  piece "$sand"   10  60 0.22 660 160
  piece "$lilac" -10  56 0.20  60 470
)
convert -define gradient:angle=135 -size ${W}x${H} gradient:'#E4F3F5'-'#9CCBD6' \
  \( -size ${W}x${H} radial-gradient:'#FFFFFFD0'-'#FFFFFF00' \) -compose over -composite \
  "$tmp/bokeh-${W}x${H}.png" -compose over -composite \
  "${P[@]}" \
  "${jpeg[@]}" "$out/startup_background.jpg"

# ---- main_background.jpg ---------------------------------------------------------------
W=520; H=420
bokeh $W $H "40,380,55,#ffffff66 480,40,60,#ffffff55 470,380,30,#ffffff44 260,400,40,#ffffff33"
mapfile -t P < <(
  piece "$teal"   15 120 0.26  50  55
  piece "$sand"  -20  70 0.26 135  30
  piece "$sky"    30  64 0.30  28 150
  piece "$blue"  -15 130 0.24 470 365
  piece "$coral"  22  74 0.24 385 395
  piece "$lilac" -30  60 0.22 495 260
)
convert -define gradient:angle=160 -size ${W}x${H} gradient:'#EAF5F7'-'#A9D3DC' \
  \( -size ${W}x${H} radial-gradient:'#FFFFFFC0'-'#FFFFFF00' \) -compose over -composite \
  "$tmp/bokeh-${W}x${H}.png" -compose over -composite \
  "${P[@]}" \
  "${jpeg[@]}" "$out/main_background.jpg"

# ---- the emblem: four interlocking pieces in a disc -------------------------------------
# emblem SIZE BACKGROUND DISC RING C1 C2 C3 C4 FILE: drawn at 4x its size, then scaled down;
# the pieces go clockwise from the top left corner.
emblem() {
  local s=$1 bg=$2 disc=$3 ring=$4 file=$9
  local cols=("$5" "$6" "$7" "$8")
  local S=$((s * 4))
  local ps=$((S * 46 / 100))        # piece canvas (300 in the template) at this size
  local h=$((ps * 90 / 300))        # half the grid step (180 in the template)
  local R=$((S * 45 / 100)) rw=$((S / 36))
  local dx=(-1 1 1 -1) dy=(-1 -1 1 1) i
  P=()
  for i in 0 1 2 3; do
    mapfile -t -O ${#P[@]} P < <(piece "${cols[i]}" $((i * 90)) $ps 1 \
      $((S / 2 + dx[i] * h)) $((S / 2 + dy[i] * h)) corner)
  done
  convert -size ${S}x${S} xc:"$bg" \
    -fill "$disc" -stroke "$ring" -strokewidth $rw \
    -draw "circle $((S / 2)),$((S / 2)) $((S / 2 + R)),$((S / 2))" +stroke \
    "${P[@]}" \
    -resize ${s}x${s} "${jpeg[@]}" "$file"
}

emblem 160 '#F4FAFB' '#DDEFF3' '#9CCBD6' "$teal" "$sky" "$sand" "$coral" "$out/login_picture.jpg"
emblem 200 '#FFFFFF' '#FFFFFF' '#2F7F86' '#2F7F86' '#5E9FD0' '#7FBFC2' '#3A6F9E' "$out/report_logo.jpg"

ls -l "$out"/*.jpg
