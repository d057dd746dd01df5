#!/bin/sh
# The download benchmark: the program against curl and the bare WinHTTP loop.
exec sh "$(dirname "$0")/windows-bench.sh" tests/bench/download_benchmark.py "$@"
