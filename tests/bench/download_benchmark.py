"""Benchmark of the installer download: the program (under Wine, on a virtual
display) and curl fetch the same installers from the same loopback server in
the same run. Prints throughput of both, of the program's HTTP client alone under the
same Wine (what Wine's WinHTTP allows), and the program's peak memory, for a
small and a large installer, to show the peak does not grow with the size.

usage: download_benchmark.py [MiB ...]    (default: 16 256)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import landing_site  # noqa: E402

BLOCK = 1 << 20


def timed_body(body, timings):
    """200 with the body in 1 MiB blocks; records how long the sending took,
    which is bounded by how fast the client reads."""
    def answer(handler):
        handler.head(200, [("Content-Length", str(len(body))), ("Content-Type", "application/octet-stream")])
        view = memoryview(body)
        start = time.monotonic()
        for i in range(0, len(body), BLOCK):
            handler.wfile.write(view[i:i + BLOCK])
        handler.wfile.flush()
        timings.append(time.monotonic() - start)
    return answer


def peak_kib(pattern):
    """VmHWM (peak resident set) of the Wine process running the program."""
    out = subprocess.run(["pgrep", "-f", pattern], capture_output=True, text=True).stdout.split()
    best = 0
    for pid in out:
        try:
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        best = max(best, int(line.split()[1]))
        except OSError:
            pass
    return best


def main(sizes):
    display = harness.Display()
    site = landing_site.Site()
    server = landing_site.serve(site, harness.PORT)
    with open(os.path.join(harness.BUILD, "test_installer.exe"), "rb") as f:
        stub = f.read()
    print(f"{'installer':>10} {'program MiB/s':>14} {'curl MiB/s':>11} {'client alone':>13} "
          f"{'bare WinHTTP':>13} {'program/bare':>13} {'program peak':>13}")
    try:
        for mib in sizes:
            body = stub + os.urandom(mib * BLOCK - len(stub))
            scratch = tempfile.mkdtemp(prefix="fetchwell-bench-")
            timings = []
            site.files = {"/setup.exe": timed_body(body, timings)}
            site.landing = landing_site.settings_page({
                "DownloadLink": f"http://127.0.0.1:{harness.PORT}/setup.exe", "BuildSetup": "bench"})
            program = harness.Program(display, site, changes=["TEMP=" + harness.windows_path(scratch)], cwd=scratch)
            try:
                program.wait_shown()
                path = os.path.join(scratch, "_Ostrel", "SETUP_DEPLOY_A", "setup_Bbench.exe")
                program.driver("press")
                deadline = time.monotonic() + 600
                while not os.path.exists(path + ".started") and time.monotonic() < deadline:
                    time.sleep(0.1)
                if not timings or os.path.getsize(path) != len(body):
                    raise SystemExit(f"the {mib} MiB download did not complete")
                peak = peak_kib("QuarloFetchwell_e2e.exe")
            finally:
                program.close()
            program_rate = mib / timings[0]
            curl_timings = []
            site.files = {"/setup.exe": timed_body(body, curl_timings)}
            subprocess.run(["curl", "-s", "--noproxy", "*", "-o", "/dev/null",
                            f"http://127.0.0.1:{harness.PORT}/setup.exe"], check=True)
            curl_rate = mib / curl_timings[0]
            # The same HTTP client without window or file, under the same Wine.
            client_timings = []
            site.files = {"/setup.exe": timed_body(body, client_timings)}
            subprocess.run(["wine", os.path.join(harness.BUILD, "bench_http_fetch.exe"),
                            f"http://127.0.0.1:{harness.PORT}/setup.exe"], check=True, capture_output=True,
                           env=dict(os.environ, WINEDEBUG="-all"))
            client_rate = mib / client_timings[0]
            # A bare synchronous WinHTTP read loop: what Wine's WinHTTP allows.
            bare_timings = []
            site.files = {"/setup.exe": timed_body(body, bare_timings)}
            subprocess.run(["wine", os.path.join(harness.BUILD, "bench_http_fetch.exe"),
                            f"http://127.0.0.1:{harness.PORT}/setup.exe", "bare"], check=True, capture_output=True,
                           env=dict(os.environ, WINEDEBUG="-all"))
            bare_rate = mib / bare_timings[0]
            print(f"{mib:>6} MiB {program_rate:>14.0f} {curl_rate:>11.0f} {client_rate:>9.0f} MiB/s "
                  f"{bare_rate:>9.0f} MiB/s {program_rate / bare_rate:>13.2f} {peak / 1024:>9.1f} MiB", flush=True)
            shutil.rmtree(scratch, ignore_errors=True)
    finally:
        server.shutdown()
        display.close()


if __name__ == "__main__":
    main([int(a) for a in sys.argv[1:]] or [16, 256])
