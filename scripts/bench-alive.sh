#!/bin/sh
# The liveness benchmark: the window's slowest answer during a slow download
# and during slow banner fetches.
exec sh "$(dirname "$0")/windows-bench.sh" tests/bench/alive_benchmark.py "$@"
