"""Benchmark of the start-up: how long after its process starts the program's
window is first visible, when it is first painted (the middle of its client
area takes its final colour on the screen), and when it shows its final
caption (its banner fetches over), against an empty 800 x 600 Win32 window
under the same Wine, on the same display. The landing reply names three
banners on the loopback site, so the final caption waits for their fetches.
Each start runs in a fresh virtual desktop whose program is the window
driver: it starts the exe, times it (`starttime`), closes it and ends, and
the desktop ends after it. The empty window and the program take turns,
after one unrecorded start of each. Also prints the sizes of the exes.

usage: startup_benchmark.py [runs]    (default: 5)
"""
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import landing_site  # noqa: E402

DESKTOP = "bench,1280x1024"
TIMEOUT_MS = 30000
# The built-in banners' size, so that the program scales them as it does its own.
BANNER_SIZE = "1600x290"
BANNER_COLOURS = ("#E02020", "#20C020", "#2020E0")
EMPTY = "empty window"
PROGRAM = "program"
TARGETS = ((EMPTY, "empty_window.exe", "Empty - Download"),
           (PROGRAM, "QuarloFetchwell_e2e.exe", "Quarlo - Download"))
SIZES = ("QuarloFetchwell.exe", "QuarloFetchwell_e2e.exe", "empty_window.exe")


def wine_environment(display):
    env = dict(os.environ, DISPLAY=display.name, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    for key in ("http_proxy", "https_proxy", "HTTP_PROXY", "no_proxy"):
        env.pop(key, None)
    return env


def stderr_sink():
    """Wine's messages go to E2E_STDERR when it names a file, as in the tests."""
    path = os.environ.get("E2E_STDERR")
    return open(path, "a") if path else subprocess.DEVNULL


def answered(path):
    try:
        with open(path, "rb") as f:
            return f.read().endswith(b"\n")
    except OSError:
        return False


def read_answer(*paths):
    """The driver's last line, from the file it writes or else from its
    stdout, as integers; {} when there is none."""
    for path in paths:
        try:
            with open(path, encoding="utf-8", errors="replace") as f:
                lines = [line for line in f.read().splitlines() if "pid=" in line]
        except OSError:
            continue
        if lines:
            return {k: int(v) for k, v in harness.parse(lines[-1]).items() if re.fullmatch(r"-?\d+", v)}
    return {}


def start_once(env, exe, caption):
    """One timed start of exe in a fresh virtual desktop."""
    scratch = tempfile.mkdtemp(prefix="fetchwell-startup-bench-")
    answer = os.path.join(scratch, "starttime.txt")
    stdout_path = os.path.join(scratch, "driver-stdout.txt")
    command = ["wine", "explorer", f"/desktop={DESKTOP}",
               harness.windows_path(os.path.join(harness.BUILD, "window_driver.exe")), "starttime",
               harness.windows_path(os.path.join(harness.BUILD, exe)), harness.windows_path(scratch), caption,
               str(TIMEOUT_MS), "close", "out=" + harness.windows_path(answer)]
    sink = stderr_sink()
    try:
        with open(stdout_path, "w") as out:
            process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=sink,
                                       start_new_session=True)
            deadline = time.monotonic() + TIMEOUT_MS / 1000 + 30
            while process.poll() is None and not answered(answer) and time.monotonic() < deadline:
                time.sleep(0.05)
            # The driver has answered after closing the exe: the desktop ends
            # about a second after its last process; the next start must not
            # find it still there.
            try:
                process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait(timeout=10)
        return read_answer(answer, stdout_path)
    finally:
        if sink is not subprocess.DEVNULL:
            sink.close()
        shutil.rmtree(scratch, ignore_errors=True)


def median(values):
    done = [v for v in values if v >= 0]
    return statistics.median(done) if done else None


def shown(value):
    return "-" if value is None else f"{value:g}"


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    display = harness.Display()
    site = landing_site.Site()
    server = landing_site.serve(site, harness.PORT)
    values = {}
    for i, colour in enumerate(BANNER_COLOURS, 1):
        site.files[f"/banner{i}.png"] = (200, harness.picture("png", colour, BANNER_SIZE),
                                         [("Content-Type", "image/png")])
        values[f"ImgSmall{i}_link"] = f"http://127.0.0.1:{harness.PORT}/banner{i}.png"
    site.landing = landing_site.settings_page(values)
    env = wine_environment(display)
    results = {name: [] for name, _, _ in TARGETS}
    short_fetches = 0
    try:
        for _, exe, caption in TARGETS:
            start_once(env, exe, caption)  # unrecorded: Wine and the file cache warm up
        for run in range(1, runs + 1):
            for name, exe, caption in TARGETS:
                site.clear_log()
                result = start_once(env, exe, caption)
                results[name].append(result)
                note = ""
                if name == PROGRAM:
                    banners = sum(1 for _, path, _ in site.requests() if path.startswith("/banner"))
                    if banners < len(BANNER_COLOURS):
                        short_fetches += 1
                        note = f"  ({banners} banners fetched)"
                print(f"run {run} {name:<13} visible={result.get('visible', -1)} painted={result.get('painted', -1)}"
                      f" final={result.get('final', -1)}"
                      f" closems={result.get('closems', -1)}{note}", flush=True)
    finally:
        server.shutdown()
        display.close()

    print()
    print(f"Start-up under Wine, ms after CreateProcess: median of {runs}, then each run (visible/painted/final)")
    print(f"{'':<16}{'visible':>9}{'painted':>9}{'final':>9}   each run")
    keys = ("visible", "painted", "final")
    medians = {}
    for name, _, _ in TARGETS:
        columns = [[r.get(k, -1) for r in results[name]] for k in keys]
        medians[name] = [median(c) for c in columns]
        each = " ".join("/".join(str(v) for v in run) for run in zip(*columns))
        print(f"{name:<16}" + "".join(f"{shown(m):>9}" for m in medians[name]) + f"   {each}")
    ratios = []
    for i in range(len(keys)):
        program, empty = medians[PROGRAM][i], medians[EMPTY][i]
        ratios.append(f"{program / empty:.2f} x" if program is not None and empty else "-")
    print(f"{'program/empty':<16}" + "".join(f"{r:>9}" for r in ratios))
    print("(-1: did not happen within the timeout; medians leave those runs out)")
    if short_fetches:
        print(f"warning: in {short_fetches} program runs fewer than {len(BANNER_COLOURS)} banners were fetched")
    print()
    for exe in SIZES:
        path = os.path.join(harness.BUILD, exe)
        size = f"{os.path.getsize(path):,} bytes" if os.path.exists(path) else "missing"
        print(f"{exe:<26}{size:>16}")


if __name__ == "__main__":
    main()
