#!/bin/sh
# Builds the Windows program and runs it under Wine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
cmake --preset windows
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)"
build=build/windows
sh scripts/wine-prefix.sh start "$PWD/$build/wineprefix"
export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all
echo "Machine profile of this Wine machine:"
wine "$build/print_profile.exe"
