#!/bin/sh
# The start-up benchmark: the program's first paint and final caption against
# an empty window under the same Wine, and the exe's size.
exec sh "$(dirname "$0")/windows-bench.sh" tests/bench/startup_benchmark.py "$@"
