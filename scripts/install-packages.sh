#!/bin/sh
# Installs what building and testing need on a Debian 12 machine. Quick when
# everything is there already.
set -eu
packages="cmake ninja-build python3 g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64 fonts-wine
  xvfb x11-apps x11-xserver-utils imagemagick fonts-dejavu-core xdotool zlib1g-dev clang-14 libclang-rt-14-dev osslsigncode openssl googletest curl
  php-cli php-sqlite3"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
