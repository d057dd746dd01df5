#!/bin/sh
# Prepares the demo landing site of run.sh, served by PHP's built-in server:
#
#   <site>/www/                 the web root
#     php/landing.php           the reference landing page (server/php)
#     demo/banner1.png ...      three 1600 x 350 banners made with ImageMagick
#     download/setup.exe        the demo installer
#   <site>/settings.ini         server/settings.ini for this port, with the
#                               installer's size
#   <site>/data/                the landing page's database, made on the
#                               first post
#
# Only www/ is served: the settings and the stored posts stay off the web.
#
# usage: demo_site.sh <folder with demo_installer.exe> <site folder> <port>
set -eu
build=$1 site=$2 port=$3
root=$(cd "$(dirname "$0")/.." && pwd)
www=$site/www

mkdir -p "$www/php" "$www/demo" "$www/download" "$site/data"
cp "$root/server/php/landing.php" "$www/php/landing.php"
cp "$build/demo_installer.exe" "$www/download/setup.exe"

# A banner with the site's own words, so that it is plain to see the pictures
# came from the server. Made once; later runs keep it.
banner() {
  [ -f "$www/demo/$1" ] && return 0
  convert -size 1600x350 "gradient:$2-$3" -rotate -90 -resize '1600x350!' \
    -fill white -font DejaVu-Sans-Bold -pointsize 84 -annotate +90+170 "$4" \
    -font DejaVu-Sans -pointsize 46 -fill '#E8F1F8' -annotate +94+255 "$5" \
    -fill '#FFFFFF40' -draw 'circle 1450,60 1600,210' "$www/demo/$1"
}
banner banner1.png '#0B3C5D' '#328CC1' 'Novità: fatture in un clic' 'Crea, invia e conserva le fatture elettroniche'
banner banner2.png '#1B4332' '#40916C' 'Magazzino sempre in ordine' 'Giacenze, ordini e inventario in tempo reale'
banner banner3.png '#3C096C' '#9D4EDD' 'Assistenza dedicata' 'Un tecnico al tuo fianco dal primo giorno'

# The installer's size in whole megabytes, at least 1.
bytes=$(wc -c <"$www/download/setup.exe")
mb=$(( (bytes + 524288) / 1048576 ))
[ "$mb" -ge 1 ] || mb=1
sed -e "s|http://127\.0\.0\.1:18090/|http://127.0.0.1:$port/|" \
    -e "s|^DimensioneSetup_MB=.*|DimensioneSetup_MB=$mb|" \
    "$root/server/settings.ini" >"$site/settings.ini"
