"""Runs a command with the loopback test server up.

usage: run_with_server.py <command> [args...]
The server listens on a free port of 127.0.0.1; the command finds its
address in FETCHWELL_TEST_SERVER (for example http://127.0.0.1:40123).
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import test_http_server  # noqa: E402


def main():
    server = test_http_server.start()
    address = f"http://127.0.0.1:{server.server_address[1]}"
    env = dict(os.environ, FETCHWELL_TEST_SERVER=address)
    try:
        return subprocess.call(sys.argv[1:], env=env)
    finally:
        server.shutdown()


if __name__ == "__main__":
    sys.exit(main())
