"""Benchmark of a hostile landing reply: about 16 MB of empty lines around a
valid section, sent as some 16 KB of gzip. Prints how long after the reply
the window is shown and the program's peak memory, beside the same figures
for a plain reply of the same section.

usage: hostile_reply_benchmark.py [runs]    (default: 3)
"""
import gzip
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import landing_site  # noqa: E402
from download_benchmark import peak_kib  # noqa: E402

SECTION = b"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto\r\nBuildSetup=1\r\n"


def run_once(display, site, body):
    scratch = tempfile.mkdtemp(prefix="fetchwell-hostile-")
    answered = []

    def answer(handler):
        handler.head(200, [("Content-Encoding", "gzip"), ("Content-Length", str(len(body)))])
        handler.wfile.write(body)
        handler.wfile.flush()
        answered.append(time.monotonic())
    site.landing_answer = answer
    program = harness.Program(display, site, cwd=scratch)
    try:
        program.wait_shown(ms=120000)
        shown = time.monotonic() - answered[0]
        return shown, peak_kib("QuarloFetchwell_e2e.exe")
    finally:
        program.close()
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    display = harness.Display()
    site = landing_site.Site()
    server = landing_site.serve(site, harness.PORT)
    lines = b"\r\n" * (8 << 20)
    replies = [("plain section", gzip.compress(b"<BODY>" + SECTION + b"</BODY>")),
               ("16 MB of empty lines around it", gzip.compress(b"<BODY>" + lines + SECTION + lines + b"</BODY>"))]
    try:
        print(f"{'landing reply':<34}{'gzip bytes':>11}{'shown after (s)':>17}{'peak MiB':>10}")
        for name, body in replies:
            results = [run_once(display, site, body) for _ in range(runs)]
            shown = statistics.median(r[0] for r in results)
            peak = statistics.median(r[1] for r in results) / 1024
            print(f"{name:<34}{len(body):>11}{shown:>17.2f}{peak:>10.1f}")
    finally:
        server.shutdown()
        display.close()


if __name__ == "__main__":
    main()
