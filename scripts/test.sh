#!/bin/sh
# Builds both trees and runs every test: the portable logic natively (with
# sanitizers and short fuzz runs), then the Windows side under Wine.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-packages.sh
jobs=$(nproc 2>/dev/null || echo 2)

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

cmake --preset windows
cmake --build --preset windows -j "$jobs"
ctest --preset windows
