#!/bin/sh
# Builds the Windows tree and prints the download benchmark's figures.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
cmake --preset windows
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)"
build=$PWD/build/windows
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" FETCHWELL_BUILD_DIR=$build
unset http_proxy https_proxy HTTP_PROXY no_proxy 2>/dev/null || true
sh scripts/wine-prefix.sh start "$WINEPREFIX"
trap 'sh scripts/wine-prefix.sh stop "$WINEPREFIX"' EXIT
python3 tests/bench/download_benchmark.py "$@"
