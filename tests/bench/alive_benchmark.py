"""Benchmark of the window's liveness: while the program downloads a slow
installer, and while it fetches slow banners at its first activation, a
probe in the same Wine asks the window every 100 ms whether it is alive
(WM_NULL, as Windows does before calling a window hung). Prints the slowest
answer of each run (goal: under 100 ms) and how many probes went unanswered.

usage: alive_benchmark.py [runs]    (default: 3)
"""
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import landing_site  # noqa: E402
import test_alive  # noqa: E402


def run_once(display, site, scenario):
    scratch = tempfile.mkdtemp(prefix="fetchwell-alive-bench-")
    temp = os.path.join(scratch, "temp")
    os.makedirs(temp)
    values = {"DownloadLink": test_alive.base("/setup.exe"), "BuildSetup": "1", "DataSetup": "-",
              "DimensioneSetup_MB": "24"}
    site.files.clear()
    if scenario == "download":
        site.files["/setup.exe"] = test_alive.slow_body(24 << 20, 12.0)
        probe_ms = 14000
    else:
        png = harness.picture("png", "#00A000", "1600x290")
        for i in (1, 2, 3):
            site.files[f"/b{i}.png"] = test_alive.slow_picture(png, 5)
            values[f"ImgSmall{i}_link"] = test_alive.base(f"/b{i}.png")
        probe_ms = 16000
    site.landing = landing_site.settings_page(values)
    program = harness.Program(display, site, changes=["TEMP=" + harness.windows_path(temp)], cwd=scratch)
    try:
        if scenario == "download":
            program.wait_shown()
            probe = program.probe(probe_ms)
            program.driver("press")
        else:
            program.driver("wait", "Quarlo - Download - Attendere", 30000, "shown")
            probe = program.probe(probe_ms)
        return probe.result()
    finally:
        program.close()
        shutil.rmtree(scratch, ignore_errors=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    display = harness.Display()
    site = landing_site.Site()
    server = landing_site.serve(site, harness.PORT)
    try:
        print(f"{'scenario':<34}{'runs':>5}{'probes':>8}{'slowest ms (each run)':>26}{'unanswered':>12}")
        for scenario, title in (("download", "24 MiB installer over 12 s"), ("banners", "3 banners, 5 s each")):
            results = [run_once(display, site, scenario) for _ in range(runs)]
            slowest = [r.get("slowest", -1) for r in results]
            print(f"{title:<34}{runs:>5}{sum(r.get('probes', 0) for r in results):>8}"
                  f"{' '.join(map(str, slowest)):>26}{sum(r.get('unanswered', 0) for r in results):>12}"
                  f"   median {statistics.median(slowest)} ms")
    finally:
        server.shutdown()
        display.close()


if __name__ == "__main__":
    main()
