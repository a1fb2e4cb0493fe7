#!/usr/bin/env bash
# Draws the studio logo shown on the About window's "Logo" page and writes it
# as res/logo.jpg: a baseline (not progressive) JPEG, 798 x 648, three colour
# components, without metadata, so that the system's JPEG decoder and the
# resource compiler take it as it is. Needs Debian's ImageMagick 6 and the
# DejaVu fonts (fonts-dejavu-core).
#   tools/make-logo.sh [output]      default: res/logo.jpg
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/res/logo.jpg}
convert=/usr/bin/convert
fonts=/usr/share/fonts/truetype/dejavu
serif_bold=$fonts/DejaVuSerif-Bold.ttf
sans=$fonts/DejaVuSans.ttf
for f in "$convert" "$serif_bold" "$sans"; do
  [ -e "$f" ] || { echo "make-logo: missing $f" >&2; exit 1; }
done

w=798 h=648
# The emblem: a ring in the theme's border blue holding a folder outline and a
# stylised "T", centred in the upper half. The lower left stays plain: the
# hidden credit line is drawn there.
cx=399 cy=235 r=150
"$convert" -size ${w}x${h} gradient:'#f4f7fd-#b9c9e8' \
  \( -size ${w}x${h} radial-gradient:'#ffffff-#ffffff00' \) -compose over -composite \
  -fill none -stroke '#4f6ba0' -strokewidth 14 \
    -draw "circle $cx,$cy $((cx + r)),$cy" \
  -stroke '#8aa2cf' -strokewidth 4 \
    -draw "circle $cx,$cy $((cx + r - 22)),$cy" \
  -stroke none -fill '#dae4f6' \
    -draw "circle $cx,$cy $((cx + r - 26)),$cy" \
  -fill '#f2c14e' -stroke '#8a6414' -strokewidth 5 \
    -draw "path 'M 299,195 L 299,315 L 499,315 L 499,185 L 399,185 L 384,165 L 314,165 L 299,185 Z'" \
  -fill '#ffd976' -stroke '#8a6414' -strokewidth 5 \
    -draw "path 'M 299,215 L 499,215 L 499,315 L 299,315 Z'" \
  -stroke none -fill '#4f6ba0' \
    -draw "rectangle 349,228 449,248" \
    -draw "rectangle 389,228 409,300" \
  -font "$serif_bold" -pointsize 76 -fill '#2b3f66' -gravity north \
    -annotate +0+418 'Tamberlo Studio' \
  -fill '#4f6ba0' -stroke none -draw "rectangle 199,522 599,526" \
  -font "$sans" -pointsize 28 -fill '#3a5285' \
    -annotate +0+545 'small tools for a tidy desktop' \
  -strip -colorspace sRGB -type TrueColor -interlace none -sampling-factor 2x2 \
  -quality 88 "jpeg:$out"

# The About window relies on these properties; stop here if the tools change.
read -r got_w got_h colours interlace < <(/usr/bin/identify -format '%w %h %[channels] %[interlace]\n' "$out")
if [ "$got_w x $got_h" != "$w x $h" ] || [ "$interlace" != "None" ] || [ "$colours" != "srgb" ]; then
  echo "make-logo: unexpected result: ${got_w}x${got_h} $colours $interlace" >&2
  exit 1
fi
echo "make-logo: wrote $out ($(stat -c %s "$out") bytes)"
