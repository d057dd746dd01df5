#!/bin/sh
# Regenerates the installer window artwork (backgrounds, banners, glyph).
#
#   sh resources/artwork/make_artwork.sh
#
# Needs ImageMagick 6 (`convert`). Text uses DejaVu Sans or Liberation Sans
# when installed; otherwise fontconfig's default sans is asked for, and
# failing that ImageMagick's own default font is used.
# Every PNG is written next to this script.
#
# The pictures ship inside the executable, so they are drawn to compress
# well: flat fills, straight or gently curved hard edges, and gradients
# that run along one axis only (every row of the gradient is the same, so
# deflate sees long repeats). No noise, no dithering.

set -eu

OUT=$(cd "$(dirname "$0")" && pwd)

if ! command -v convert >/dev/null 2>&1; then
    echo "make_artwork: ImageMagick 'convert' not found" >&2
    exit 1
fi

TMP=$(mktemp -d "${TMPDIR:-/tmp}/quarlo-art.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM

# --------------------------------------------------------------------------
# Fonts
# --------------------------------------------------------------------------

first_file() {
    for f in "$@"; do
        if [ -f "$f" ]; then
            printf '%s\n' "$f"
            return 0
        fi
    done
    return 1
}

fc_font() {
    if command -v fc-match >/dev/null 2>&1; then
        f=$(fc-match -f '%{file}' "$1" 2>/dev/null || true)
        if [ -n "$f" ] && [ -f "$f" ]; then
            printf '%s\n' "$f"
        fi
    fi
}

FONT_BOLD=$(first_file \
    /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
    /usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf \
    /usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf \
    || fc_font 'sans:bold')
FONT_REGULAR=$(first_file \
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf \
    /usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf \
    || fc_font 'sans')
[ -n "$FONT_REGULAR" ] || FONT_REGULAR=$FONT_BOLD
[ -n "$FONT_BOLD" ] || FONT_BOLD=$FONT_REGULAR

echo "bold font:    ${FONT_BOLD:-(ImageMagick default)}"
echo "regular font: ${FONT_REGULAR:-(ImageMagick default)}"

# Text width in pixels of "$3" at point size $2 in font $1.
text_width() {
    convert ${1:+-font "$1"} -pointsize "$2" label:"$3" -format '%w' info:
}

# Largest point size (counting down from $2, not below $3) at which "$4"
# fits in $5 pixels.
fit_size() {
    font=$1 size=$2 min=$3 text=$4 max=$5
    while [ "$size" -gt "$min" ]; do
        w=$(text_width "$font" "$size" "$text")
        [ "$w" -le "$max" ] && break
        size=$((size - 1))
    done
    echo "$size"
}

# save_png FORMAT SOURCE DEST
# Writes SOURCE (an 8-bit MIFF) as FORMAT (PNG24 or PNG32), trying a few
# row filter / deflate strategy pairs and keeping the smallest result.
save_png() {
    fmt=$1 src=$2 dest=$3
    best='' best_size=0
    for filter in 0 1 5; do
        for strategy in 0 1; do
            cand="$TMP/cand-$filter-$strategy.png"
            convert "$src" -strip \
                -define png:compression-level=9 \
                -define png:compression-filter=$filter \
                -define png:compression-strategy=$strategy \
                "$fmt:$cand"
            size=$(wc -c < "$cand" | tr -d ' ')
            if [ -z "$best" ] || [ "$size" -lt "$best_size" ]; then
                best=$cand best_size=$size
            fi
        done
    done
    mv "$best" "$dest"
    rm -f "$TMP"/cand-*.png
    # zopflipng (Debian package zopfli) recompresses losslessly, some 15%
    # smaller again; the pictures stay the same pixel for pixel.
    if command -v zopflipng >/dev/null 2>&1; then
        zopflipng -y -m "$dest" "$dest" >/dev/null
    else
        echo "make_artwork: zopflipng not found, $dest left as ImageMagick wrote it" >&2
    fi
}

# --------------------------------------------------------------------------
# Backgrounds: 1600 x 1200, opaque RGB, shown at half size in the 800 x 600
# window. Layout (image pixels):
#   y    0 ..  767  gradient with light shapes, logo and product name at the
#                   top left, glass panel on the right (x 1008..1560,
#                   y 100..732) behind the title and the text
#   y  768 .. 1057  calm, darker band behind the banners
#   y 1058 .. 1059  separator line
#   y 1060 .. 1199  light grey strip (#F0F0F0) for the info text and button
# The three variants differ in hue only.
# --------------------------------------------------------------------------

# make_background NAME LEFT RIGHT ACCENT
make_background() {
    name=$1 left=$2 right=$3 accent=$4

    convert -size 1600x1200 -define gradient:angle=90 \
        gradient:"$left-$right" \
        -stroke none \
        -fill 'rgba(255,255,255,0.045)' \
        -draw 'polygon 330,768 720,768 1060,0 670,0' \
        -fill 'rgba(255,255,255,0.025)' \
        -draw 'polygon 720,768 880,768 1220,0 1060,0' \
        -fill 'rgba(255,255,255,0.04)' -draw 'circle 1420,40 1420,700' \
        -fill 'rgba(255,255,255,0.05)' -draw 'circle 1420,40 1420,400' \
        -fill 'rgba(255,255,255,0.085)' \
        -draw 'roundrectangle 1008,100 1560,732 30,30' \
        -fill none -strokewidth 2 -stroke 'rgba(255,255,255,0.22)' \
        -draw 'roundrectangle 1008,100 1560,732 30,30' \
        -stroke none \
        -fill 'rgba(3,12,30,0.26)' -draw 'rectangle 0,768 1599,1057' \
        -fill 'rgba(255,255,255,0.12)' -draw 'rectangle 0,768 1599,769' \
        -fill '#D3D8DE' -draw 'rectangle 0,1058 1599,1059' \
        -fill '#F0F0F0' -draw 'rectangle 0,1060 1599,1199' \
        -fill "$accent" -draw 'roundrectangle 96,150 196,250 22,22' \
        -fill 'rgba(255,255,255,0.94)' \
        -draw 'roundrectangle 121,175 171,225 10,10' \
        -fill "$accent" -draw 'rectangle 150,204 175,229' \
        ${FONT_BOLD:+-font "$FONT_BOLD"} -pointsize 150 -fill white \
        -annotate +88+420 'Quarlo' \
        -fill "$accent" -draw 'roundrectangle 98,462 218,470 4,4' \
        ${FONT_REGULAR:+-font "$FONT_REGULAR"} -pointsize 40 \
        -fill 'rgba(255,255,255,0.84)' \
        -annotate +98+540 'Il gestionale per la tua azienda' \
        -alpha off -depth 8 "$TMP/bg.miff"
    save_png PNG24 "$TMP/bg.miff" "$OUT/$name"
}

# make_plain_background NAME COLOUR: a flat background for a picture control
# that is never shown (the main picture's stand-in and the second
# background): the window needs its 1600 x 1200, not its looks, and a flat
# fill costs a few hundred bytes of the program instead of some 50 KB.
make_plain_background() {
    convert -size 1600x1200 "xc:$2" -alpha off -depth 8 "$TMP/bg.miff"
    save_png PNG24 "$TMP/bg.miff" "$OUT/$1"
}

make_background background_prem.png '#0A2250' '#0F7D8A' '#4FD6CF'
make_plain_background background_ep.png   '#161C56'
make_plain_background background_main.png '#0A2C4C'

# --------------------------------------------------------------------------
# Banners: a light card with an accent tile and a marketing line; fully
# transparent outside the card. The window draws every banner at 800 x 145,
# so all three are laid out on one 1600 x 290 grid; banner 2 and 3 are
# 1600 x 350 and their drawing is stretched vertically by 350/290 here so
# that the window's squeeze gives them the same proportions as banner 1.
#
# Grid (1600 x 290 units, multiply y by 350/290 for banner 2 and 3):
#   card         x 40..1559, y 22..267, corner radius 36, white, alpha 0.86
#   accent tile  x 84..263,  y 55..234 (180 x 180), radius 26, opaque
#   headline     baseline y 131 from x 312, sub line baseline y 212
#
# The card and its text are drawn opaque and then faded to 0.86 as a whole,
# which keeps the alpha channel flat (and small). The accent tile goes on
# afterwards at full opacity, so it shows its exact colour on screen.
# --------------------------------------------------------------------------

TEXT_MAX=1200

# The lines go into a -draw string between single quotes, so they must
# not contain apostrophes.

H1='Fatturazione elettronica integrata'
S1='Crea, invia e archivia le fatture in pochi clic'
H2='Magazzino e ordini sempre sotto controllo'
S2='Giacenze, riordini e spedizioni aggiornati in tempo reale'
H3='Assistenza dedicata e aggiornamenti inclusi'
S3='Un team di esperti al tuo fianco, senza costi nascosti'

# One headline size and one sub line size for all banners, so they match.
HEAD_SIZE=48
for t in "$H1" "$H2" "$H3"; do
    HEAD_SIZE=$(fit_size "$FONT_BOLD" "$HEAD_SIZE" 28 "$t" "$TEXT_MAX")
done
SUB_SIZE=32
for t in "$S1" "$S2" "$S3"; do
    SUB_SIZE=$(fit_size "$FONT_REGULAR" "$SUB_SIZE" 20 "$t" "$TEXT_MAX")
done
echo "banner text: headline ${HEAD_SIZE}pt, sub line ${SUB_SIZE}pt"

# make_banner NAME HEIGHT ACCENT TINT HEADLINE SUBLINE
make_banner() {
    name=$1 height=$2 accent=$3 tint=$4 head=$5 sub=$6
    # Vertical scale from the 290-unit grid to this banner's height.
    sy=$(awk "BEGIN { printf \"%.6f\", $height / 290 }")
    head_font='' sub_font=''
    [ -z "$FONT_BOLD" ] || head_font="font '$FONT_BOLD'"
    [ -z "$FONT_REGULAR" ] || sub_font="font '$FONT_REGULAR'"

    convert -size "1600x$height" xc:none -draw "affine 1,0,0,$sy,0,0
        fill white roundrectangle 40,22 1559,267 36,36
        fill '$tint' roundrectangle 312,149 392,155 3,3
        circle 1452,202 1452,214 circle 1490,202 1490,210 circle 1520,202 1520,207
        $head_font font-size $HEAD_SIZE fill '#1C2838'
        text 312,131 '$head'
        $sub_font font-size $SUB_SIZE fill '#4A5566'
        text 312,212 '$sub'" \
        -channel A -evaluate multiply 0.86 +channel \
        -draw "affine 1,0,0,$sy,0,0
        fill '$accent' roundrectangle 84,55 263,234 26,26" \
        -background none -alpha background -depth 8 "$TMP/banner.miff"
    save_png PNG32 "$TMP/banner.miff" "$OUT/$name"
}

make_banner banner1.png 290 '#F39041' '#F7B27A' "$H1" "$S1"
make_banner banner2.png 350 '#3BAA5C' '#86CC9A' "$H2" "$S2"
make_banner banner3.png 350 '#7B4FC9' '#B29AE0' "$H3" "$S3"

# --------------------------------------------------------------------------
# Glyph: 32 x 32 download arrow over a tray, drawn at 8x and scaled down.
# --------------------------------------------------------------------------

convert -size 256x256 xc:none -fill '#2E3F5C' -stroke none \
    -draw 'roundrectangle 112,24 144,150 10,10' \
    -draw 'polygon 58,118 198,118 128,190' \
    -fill none -stroke '#2E3F5C' -strokewidth 26 \
    -draw 'stroke-linecap round stroke-linejoin round polyline 36,160 36,222 220,222 220,160' \
    -filter Box -resize 32x32 \
    -background none -alpha background -depth 8 "$TMP/glyph.miff"
save_png PNG32 "$TMP/glyph.miff" "$OUT/glyph_download.png"

# --------------------------------------------------------------------------

total=0
for f in background_ep.png background_prem.png background_main.png \
         banner1.png banner2.png banner3.png glyph_download.png; do
    size=$(wc -c < "$OUT/$f" | tr -d ' ')
    total=$((total + size))
    printf '%-22s %8s bytes  %s\n' "$f" "$size" \
        "$(convert "$OUT/$f" -format '%wx%h' info:)"
done
printf '%-22s %8s bytes\n' total "$total"
