#!/bin/sh
# Builds the program against the local demo landing site and runs it under
# Wine. With a screen (DISPLAY set) the window opens there for you to use;
# without one it runs on a virtual display, presses the download button
# itself and saves screenshots in build/demo/screenshots.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
cmake --preset demo
cmake --build --preset demo -j "$(nproc 2>/dev/null || echo 2)"

root=$PWD
build=$root/build/demo
port=18090
site=$build/demo-site
shots=$build/screenshots
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" FETCHWELL_DESKTOP=demo
unset http_proxy https_proxy HTTP_PROXY no_proxy 2>/dev/null || true
mkdir -p "$site" "$shots"
sh scripts/wine-prefix.sh start "$WINEPREFIX"

site_pid="" xvfb_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true
  sh "$root/scripts/wine-prefix.sh" stop "$WINEPREFIX"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
# The demo landing site: the reference landing page under PHP's built-in
# server, which also serves the banners and the demo installer.
sh demo/demo_site.sh "$build" "$site" "$port"
LANDING_DB=$site/data/landing.sqlite LANDING_SETTINGS=$site/settings.ini \
  php -S "127.0.0.1:$port" -t "$site/www" >"$site/server.log" 2>&1 &
site_pid=$!
up=""
for _ in $(seq 50); do
  kill -0 "$site_pid" 2>/dev/null || break
  if curl -s -o /dev/null "http://127.0.0.1:$port/"; then up=1; break; fi
  sleep 0.1
done
if [ -z "$up" ]; then
  echo "The demo site did not start on port $port:" >&2
  cat "$site/server.log" >&2
  exit 1
fi
echo "Demo landing page: http://127.0.0.1:$port/php/landing.php (log: $site/server.log)"
# What the landing page stored of the program's posts.
posts() {
  python3 - "$site/data/landing.sqlite" <<'PY' || true
import json, os, sqlite3, sys
if not os.path.exists(sys.argv[1]):
    sys.exit("No landing post was stored.")
with sqlite3.connect(sys.argv[1]) as db:
    rows = db.execute("SELECT received_at, client, fields FROM landing_posts ORDER BY rowid").fetchall()
if not rows:
    sys.exit("No landing post was stored.")
print(f"The landing page stored {len(rows)} post(s) in {sys.argv[1]}; the last one:")
received_at, client, fields = rows[-1]
print(f"  {received_at} from {client}")
for name, value in json.loads(fields).items():
    print(f"    {name}={value}")
PY
}

if [ -n "${DISPLAY:-}" ] && xset q >/dev/null 2>&1; then
  echo "Starting Quarlo Fetchwell on $DISPLAY; close its window to end."
  wine "$build/QuarloFetchwell.exe"
  wineserver -w
  posts
  exit 0
fi

# No screen: a virtual one, and the demo drives itself.
exec 3>"$build/xvfb-display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s "$build/xvfb-display" ] && break; sleep 0.5; done
export DISPLAY=":$(cat "$build/xvfb-display")"
driver() { wine "$build/window_driver.exe" "$@"; }
shot() { xwd -root -silent | convert xwd:- "$shots/$1.png"; echo "  $shots/$1.png"; }

started=$(date +%s%N)
wine explorer /desktop=demo,1280x1024 "$build/QuarloFetchwell.exe" >/dev/null 2>&1 &
driver wait "Quarlo - Download" 60000 shown >/dev/null
shown=$(date +%s%N)
echo "The window is up $(( (shown - started) / 1000000 )) ms after the start (Wine's own start-up included)."
echo "Screenshots:"
sleep 1; shot 1-banner1
sleep 3; shot 2-banner2
sleep 3; shot 3-banner3
driver press >/dev/null
sleep 4; shot 4-installer-started
echo "The demo installer was downloaded to the Wine user's TEMP folder and started (see the last screenshot)."
posts
