#!/bin/sh
# Regenerates the installer window artwork (backgrounds, banners, glyph).
#
#   sh resources/artwork/make_artwork.sh
#
# Needs ImageMagick 6 (`convert`). Fonts are picked from DejaVu Sans or
# Liberation Sans when installed; otherwise fontconfig's default sans is
# asked for, and failing that ImageMagick's built-in default font is used.
# Every PNG is written next to this script.

set -eu

OUT=$(cd "$(dirname "$0")" && pwd)

if ! command -v convert >/dev/null 2>&1; then
    echo "make_artwork: ImageMagick 'convert' not found" >&2
    exit 1
fi

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

PNG_OPTS="-strip -define png:compression-level=9 -define png:compression-filter=1"

# --------------------------------------------------------------------------
# Backgrounds: 1600 x 1200, opaque RGB. Shown at half size in the 800 x 600
# window. Layout (image pixels):
#   y    0 ..  767  gradient with soft shapes, product name top left,
#                   glass panel on the right for the title and text
#   y  768 .. 1057  calm, slightly darker band behind the banners
#   y 1058 .. 1059  separator line
#   y 1060 .. 1199  light grey strip for the info text and the button
# --------------------------------------------------------------------------

# make_background NAME DARK LIGHT GLOW ACCENT
make_background() {
    name=$1 dark=$2 light=$3 glow=$4 accent=$5

    convert -size 1600x1200 -define gradient:angle=135 \
        gradient:"$dark-$light" \
        -fill 'rgba(255,255,255,0.035)' -stroke none \
        -draw 'circle 1380,80 1380,760' \
        -draw 'circle 150,1010 150,1520' \
        -fill 'rgba(255,255,255,0.03)' \
        -draw 'circle 560,-260 560,420' \
        -fill none -strokewidth 3 -stroke 'rgba(255,255,255,0.14)' \
        -draw "path 'M -20,640 C 300,470 620,760 980,560 S 1460,330 1640,420'" \
        -strokewidth 2 -stroke 'rgba(255,255,255,0.09)' \
        -draw "path 'M -20,700 C 340,540 640,820 1000,620 S 1480,400 1640,500'" \
        -draw "path 'M -20,470 C 260,300 560,520 880,360 S 1380,120 1640,220'" \
        -stroke none \
        -fill 'rgba(255,255,255,0.085)' \
        -draw 'roundrectangle 1008,100 1560,732 30,30' \
        -fill none -strokewidth 2 -stroke 'rgba(255,255,255,0.20)' \
        -draw 'roundrectangle 1008,100 1560,732 30,30' \
        -stroke none \
        -fill 'rgba(4,14,34,0.30)' -draw 'rectangle 0,768 1599,1057' \
        -fill 'rgba(255,255,255,0.10)' -draw 'rectangle 0,768 1599,769' \
        -fill '#D3D8DE' -draw 'rectangle 0,1058 1599,1059' \
        -fill '#F0F0F0' -draw 'rectangle 0,1060 1599,1199' \
        -fill "$accent" -draw 'roundrectangle 96,150 196,250 22,22' \
        -fill 'rgba(255,255,255,0.92)' \
        -draw 'roundrectangle 121,175 171,225 10,10' \
        -fill "$accent" -draw 'rectangle 150,204 175,229' \
        ${FONT_BOLD:+-font "$FONT_BOLD"} -pointsize 150 -fill white \
        -annotate +88+420 'Quarlo' \
        -fill "$accent" -draw 'roundrectangle 98,462 218,470 4,4' \
        ${FONT_REGULAR:+-font "$FONT_REGULAR"} -pointsize 40 \
        -fill 'rgba(255,255,255,0.82)' \
        -annotate +98+540 'Il gestionale per la tua azienda' \
        -alpha off -depth 8 $PNG_OPTS PNG24:"$OUT/$name"
}

make_background background_prem.png '#0A2250' '#0F7D8A' '#36C9C6' '#4FD6CF'
make_background background_ep.png   '#161C56' '#4C3C9E' '#9B7CF0' '#A58BFF'
make_background background_main.png '#0A2C4C' '#1B8762' '#52D08E' '#63DB9C'

# --------------------------------------------------------------------------
# Banners: a light card with an accent tile and a marketing line; fully
# transparent outside the card. All three are laid out on the same
# 1600 x 290 grid so they look alike once drawn at 800 x 145; the taller
# ones are simply stretched to 1600 x 350 here, and the window squeezes
# them back. Drawn at twice the size and scaled down for clean edges.
#
# Grid (1600 x 290 units):
#   card         x 40..1560, y 22..268, corner radius 36, white at 86 %
#   accent tile  x 84..263,  y 55..234 (180 x 180), corner radius 26, opaque
#   headline     from x 312, sub line below it
# --------------------------------------------------------------------------

TEXT_MAX=1200

H1='Fatturazione elettronica integrata'
S1='Crea, invia e archivia le fatture in pochi clic'
H2='Magazzino e ordini sempre sotto controllo'
S2='Giacenze, riordini e spedizioni aggiornati in tempo reale'
H3='Assistenza dedicata e aggiornamenti inclusi'
S3='Un team di esperti al tuo fianco, senza costi nascosti'

# One headline size and one sub line size for all banners, so they match.
HEAD_SIZE=60
for t in "$H1" "$H2" "$H3"; do
    HEAD_SIZE=$(fit_size "$FONT_BOLD" "$HEAD_SIZE" 30 "$t" "$TEXT_MAX")
done
SUB_SIZE=34
for t in "$S1" "$S2" "$S3"; do
    SUB_SIZE=$(fit_size "$FONT_REGULAR" "$SUB_SIZE" 20 "$t" "$TEXT_MAX")
done
echo "banner text sizes: headline ${HEAD_SIZE}pt, sub line ${SUB_SIZE}pt"

# make_banner NAME HEIGHT ACCENT TINT HEADLINE SUBLINE
make_banner() {
    name=$1 height=$2 accent=$3 tint=$4 head=$5 sub=$6
    hs=$((HEAD_SIZE * 2)) ss=$((SUB_SIZE * 2))

    convert -size 3200x580 xc:none \
        -fill 'rgba(255,255,255,0.86)' -stroke none \
        -draw 'roundrectangle 80,44 3119,535 72,72' \
        -fill "$accent" -draw 'roundrectangle 168,110 527,469 52,52' \
        -fill "$tint" -draw 'roundrectangle 624,298 784,310 6,6' \
        -fill "$tint" \
        -draw 'circle 2900,140 2900,164' \
        -draw 'circle 2980,140 2980,156' \
        -draw 'circle 3040,140 3040,150' \
        ${FONT_BOLD:+-font "$FONT_BOLD"} -pointsize "$hs" -fill '#1C2838' \
        -annotate +624+262 "$head" \
        ${FONT_REGULAR:+-font "$FONT_REGULAR"} -pointsize "$ss" -fill '#4A5566' \
        -annotate +624+424 "$sub" \
        -filter Lanczos -resize "1600x${height}!" \
        -depth 8 $PNG_OPTS PNG32:"$OUT/$name"
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
    -filter Lanczos -resize 32x32 \
    -depth 8 $PNG_OPTS PNG32:"$OUT/glyph_download.png"

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
