"""Runs the real program under Wine on a virtual X display for end-to-end
tests: a private Xvfb, the landing site on loopback, the window driver, and
screenshots whose pixels the tests sample."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import landing_site

BUILD = os.environ["FETCHWELL_BUILD_DIR"]
PORT = int(os.environ.get("FETCHWELL_E2E_PORT", "18081"))
SHOTS = os.path.join(BUILD, "e2e-screenshots")
WINE_PREFIX_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wine-prefix.sh")


class Display:
    """A private Xvfb; its number is chosen by Xvfb itself."""

    def __init__(self, size="1280x1024x24"):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp"],
                                        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as f:
            self.name = ":" + f.readline().strip()

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


def parse(line):
    """key=value pairs of one driver answer; values may hold spaces."""
    fields = {}
    for part in re.split(r" (?=\w+=)", line.strip()):
        if "=" in part:
            key, value = part.split("=", 1)
            fields[key] = value
    return fields


class Screenshot:
    def __init__(self, ppm_bytes, path):
        # A binary PPM: "P6", width, height, maxval, each after blanks or
        # comment lines, then one blank and the RGB bytes.
        fields, pos = [], 0
        while len(fields) < 4:
            while ppm_bytes[pos:pos + 1].isspace():
                pos += 1
            if ppm_bytes[pos:pos + 1] == b"#":
                pos = ppm_bytes.index(b"\n", pos) + 1
                continue
            end = pos
            while not ppm_bytes[end:end + 1].isspace():
                end += 1
            fields.append(ppm_bytes[pos:end])
            pos = end
        assert fields[0] == b"P6", fields[0]
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = ppm_bytes[pos + 1:]
        self.path = path

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def wait_started(installer, seconds=20):
    """Waits for the marker the test installer leaves beside itself when it
    runs: true once the installer at that path was started."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.exists(installer + ".started"):
            return True
        time.sleep(0.2)
    return False


def windows_path(unix_path):
    """The path under Wine's drive Z:, which maps the Unix root."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def near(colour, expected, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


class Program:
    """One run of the program in a Wine desktop, with its landing site."""

    def __init__(self, display, site, exe="QuarloFetchwell_e2e.exe", desktop="1280x1024", extra_env=None,
                 changes=(), cwd=None):
        """Starts the program in the tests' virtual desktop. Wine sets TEMP
        and TMP itself, so the program's own environment is given as changes
        ("NAME=VALUE" sets, "-NAME" removes), applied by the driver that
        starts it; cwd is the program's current folder (a Unix path)."""
        self.display = display
        self.site = site
        self.env = dict(os.environ, DISPLAY=display.name, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        for key in ("http_proxy", "https_proxy", "HTTP_PROXY", "no_proxy"):
            self.env.pop(key, None)
        if extra_env:
            self.env.update(extra_env)
        self.exe = os.path.join(BUILD, exe)
        self.started = time.monotonic()
        launch = [windows_path(os.path.join(BUILD, "window_driver.exe")), "launch", windows_path(self.exe),
                  windows_path(cwd or BUILD), *changes]
        self.process = subprocess.Popen(["wine", "explorer", f"/desktop=e2e,{desktop}", *launch], env=self.env,
                                        stdout=subprocess.DEVNULL, stderr=self._stderr(), start_new_session=True)

    @staticmethod
    def _stderr():
        """The program's Wine messages go to E2E_STDERR when it names a file."""
        path = os.environ.get("E2E_STDERR")
        return open(path, "a") if path else subprocess.DEVNULL

    def driver(self, *args, timeout=60):
        out = subprocess.run(["wine", os.path.join(BUILD, "window_driver.exe"), *map(str, args)], env=self.env,
                             capture_output=True, timeout=timeout, text=True, encoding="utf-8", errors="replace")
        lines = [l for l in out.stdout.splitlines() if "=" in l]
        return parse(lines[-1]) if lines else {}

    def probe(self, ms):
        """Starts the driver's liveness probe for ms milliseconds in the
        background; result() of the returned object gives its answer."""
        return Probe(self, ms)

    def wait_caption(self, caption, ms=30000):
        return self.driver("wait", caption, ms, timeout=ms / 1000 + 30)

    def wait_shown(self, caption="Quarlo - Download", ms=30000):
        """Waits until the window is shown with its caption: start-up is over."""
        return self.driver("wait", caption, ms, "shown", timeout=ms / 1000 + 30)

    def info_bar(self):
        """The info bar as a screen reader finds it: the child of the
        window's accessible object under the info bar's middle."""
        return self.driver("infobar")

    def accessible(self):
        """The window's accessible object, its children and the button's
        and the bar's own objects, read from another process."""
        return self.driver("accessible")

    def listen(self, ms):
        """Starts recording the program's screen-reader announcements for
        ms milliseconds; result() of the returned object gives them."""
        listener = Background(self, "events", ms)
        assert listener.ready().get("hooked") == "1"
        return listener

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        xwd = subprocess.run(["xwd", "-root", "-silent", "-display", self.display.name], capture_output=True, check=True).stdout
        png = os.path.join(SHOTS, name + ".png")
        subprocess.run(["convert", "xwd:-", png], input=xwd, check=True)
        ppm = subprocess.run(["convert", "xwd:-", "ppm:-"], input=xwd, capture_output=True, check=True).stdout
        return Screenshot(ppm, png)

    def gone(self):
        """Lets go of a program that closed by itself: nothing is left to
        close, and its Wine desktop ends with it (or is ended)."""
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, 9)
            self.process.wait(timeout=10)

    def close(self):
        closed = False
        try:
            closed = self.driver("close", timeout=30).get("closed") == "1"
            self.process.wait(timeout=20)
        except Exception:
            pass
        if not closed:
            # A window that will not close must not be found by the next run:
            # the prefix's server is ended, and the next run gets a fresh
            # persistent one, as the tests' set-up starts it.
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=30)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=30)
        if self.process.poll() is None:
            os.killpg(self.process.pid, 9)
            self.process.wait(timeout=10)
        if not closed:
            subprocess.run(["sh", WINE_PREFIX_SCRIPT, "start", self.env["WINEPREFIX"]], env=self.env, timeout=120)


class Background:
    """A driver command that runs ms milliseconds beside the test; result()
    gives its last answer. ready() waits for its first line, for commands
    that say when they have begun."""

    def __init__(self, program, command, ms):
        self.process = subprocess.Popen(["wine", os.path.join(BUILD, "window_driver.exe"), command, str(ms)],
                                        env=program.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                        encoding="utf-8", errors="replace")
        self.ms = ms
        self.lines = []

    def ready(self):
        line = self.process.stdout.readline()
        self.lines.append(line)
        return parse(line)

    def result(self):
        out, _ = self.process.communicate(timeout=self.ms / 1000 + 60)
        lines = [l for l in self.lines + out.splitlines() if "=" in l]
        return parse(lines[-1]) if lines else {}

    def stop(self):
        """Ends the command if it still runs (after a failed test)."""
        if self.process.poll() is None:
            self.process.kill()
            self.process.communicate(timeout=30)


class Probe(Background):
    """A liveness probe running beside the test: WM_NULL every 100 ms."""

    def __init__(self, program, ms):
        super().__init__(program, "probe", ms)

    def result(self):
        return {k: int(v) for k, v in super().result().items()}


def picture(kind, colour, size="96x24"):
    """A solid picture of the given ImageMagick format, made on the spot."""
    return subprocess.run(["convert", "-size", size, f"xc:{colour}", f"{kind}:-"], capture_output=True, check=True).stdout


class SiteTestCase(unittest.TestCase):
    """Tests that share one virtual display and one landing site."""

    @classmethod
    def setUpClass(cls):
        cls.display = Display()
        cls.site = landing_site.Site()
        cls.server = landing_site.serve(cls.site, PORT)

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.display.close()
