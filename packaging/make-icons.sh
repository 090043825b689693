#!/usr/bin/env bash
# Renders Tavrel's icon to the PNG sizes that are installed and built into the
# program, and draws docs/icon-sheet.png to judge them by eye. The PNGs are
# committed, so building Tavrel needs no SVG renderer; run this again after
# changing an SVG.  Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
icons=$here/icons
docs=$here/../docs

# The small sizes come from their own pixel-fitted drawings: scaling the big
# drawing down to 16 or 22 px blurs the wave into a pink smear.
for size in 16 22 24 32 48 64 128 256; do
  out=$icons/tavrel-$size.png
  case $size in
    16) rsvg-convert -w 16 -h 16 "$icons/tavrel-16.svg" -o "$out" ;;
    22) rsvg-convert -w 22 -h 22 "$icons/tavrel-22.svg" -o "$out" ;;
    # 24 px is the 22 px drawing centred with a 1 px margin, as the freedesktop
    # icon themes do, rather than a blurred 22-to-24 scaling.
    24) rsvg-convert -w 22 -h 22 --page-width 24 --page-height 24 --left 1 --top 1 \
          "$icons/tavrel-22.svg" -o "$out" ;;
    *) rsvg-convert -w "$size" -h "$size" "$icons/tavrel.svg" -o "$out" ;;
  esac
done
# Drop the timestamps and text chunks so that rendering again gives the same bytes.
for f in "$icons"/tavrel-*.png; do
  convert "$f" -strip -define png:exclude-chunks=date,time "PNG32:$f"
done

# The sheet: 16, 48 and 256 px at their real size on a light and a dark panel,
# and the 16 px icon enlarged eight times with hard pixel edges.
font=$(fc-match -f '%{file}' 'DejaVu Sans')
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
panel() { # background, output
  convert -size 560x300 "xc:$1" \
    "$icons/tavrel-16.png" -geometry +24+142 -composite \
    "$icons/tavrel-48.png" -geometry +64+126 -composite \
    "$icons/tavrel-256.png" -geometry +136+22 -composite \
    "(" "$icons/tavrel-16.png" -filter point -resize 800% ")" -geometry +412+86 -composite \
    -font "$font" -pointsize 13 -fill "$3" \
    -annotate +20+180 '16' -annotate +78+194 '48' -annotate +250+294 '256' \
    -annotate +420+236 '16 (x8)' "$2"
}
panel '#ffffff' "$tmp/light.png" '#333333'
panel '#2e3440' "$tmp/dark.png" '#d8dee9'
convert "$tmp/light.png" "$tmp/dark.png" -append -strip "$docs/icon-sheet.png"
