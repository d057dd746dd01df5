#!/bin/sh
# The hostile landing reply benchmark: time to the window and peak memory.
exec sh "$(dirname "$0")/windows-bench.sh" tests/bench/hostile_reply_benchmark.py "$@"
