#!/bin/sh
# Builds the Windows tree and runs a benchmark under its Wine prefix:
#   windows-bench.sh <benchmark.py> [arguments ...]
# The Wine environment of the benchmarks is set here, once.
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
python3 "$@"
