"""The fault matrix, end to end: the real program under Wine against loopback
servers that misbehave on purpose. For each fault: the outcome the design
gives, no wait past the time-outs, and no installer (or partial file) left at
the path unless the download really succeeded."""
import gzip
import os
import shutil
import socket
import struct
import sys
import tempfile
import threading
import time
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import landing_site  # noqa: E402

FAILED = "QUARLO\\r\\n\\r\\nErrore scaricamento programma"
NO_ADDRESS = "QUARLO\\r\\n\\r\\nImpossibile scaricare il programma, provare a disattivare l'Antivirus o il FireWall"
ORANGE = (0xF3, 0x90, 0x41)  # the first built-in banner's accent tile
BANNER_ACCENT = (87, 456)


def base(path, port=None):
    return f"http://127.0.0.1:{port or harness.PORT}{path}"


def moved_to(address, code=302):
    def answer(handler):
        handler.head(code, [("Location", address), ("Content-Length", "0")])
    return answer


def huge_png(width=20000, height=20000):
    """A small, valid PNG file that announces an enormous picture."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(b"\0" * 1000)) + chunk(b"IEND", b"")


class Silent:
    """A listener that accepts connections and never answers."""

    def __init__(self):
        self.socket = socket.socket()
        self.socket.bind(("127.0.0.1", 0))
        self.socket.listen(16)
        self.port = self.socket.getsockname()[1]
        self.held = []
        threading.Thread(target=self.run, daemon=True).start()

    def run(self):
        while True:
            try:
                connection, _ = self.socket.accept()
            except OSError:
                return
            self.held.append(connection)


class FaultMatrixTest(harness.SiteTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.silent = Silent()
        with open(os.path.join(harness.BUILD, "test_installer.exe"), "rb") as f:
            cls.installer = f.read() + bytes(300000)

    def setUp(self):
        self.site.files.clear()
        self.site.landing_answer = None
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-faults-")
        self.folder = os.path.join(self.scratch, "_Ostrel", "SETUP_DEPLOY_A")
        self.path = os.path.join(self.folder, "setup_B714.exe")
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self, settings=None):
        values = {"DownloadLink": base("/setup.exe"), "BuildSetup": "714"}
        values.update(settings or {})
        self.site.landing = landing_site.settings_page(values)
        self.program = harness.Program(self.display, self.site,
                                       changes=["TEMP=" + harness.windows_path(self.scratch)], cwd=self.scratch)
        shown = self.program.wait_shown(ms=40000)
        self.assertEqual(shown.get("found"), "1", shown)
        return self.program

    def press(self, seconds):
        """Presses the button; the box that follows, and how long it took."""
        pressed = time.monotonic()
        self.program.driver("press")
        box = self.program.driver("box", int(seconds * 1000), timeout=seconds + 30)
        return box, time.monotonic() - pressed

    def left_in_folder(self):
        return sorted(os.listdir(self.folder)) if os.path.isdir(self.folder) else []

    def test_download_faults(self):
        body = self.installer
        chunked = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
        failures = [
            ("connection refused", moved_to("http://127.0.0.1:1/setup.exe"), 5),
            ("a listener that never answers", moved_to(base("/x", self.silent.port)), 16),
            ("silent after the headers", landing_site.silent_after_headers(body, 25), 16),
            ("a reset half-way", landing_site.reset_after(body, len(body) // 2), 5),
            ("a short body against its Content-Length", landing_site.cut_after(body, len(body) - 1000), 5),
            ("chunked with a broken size", landing_site.raw(chunked + b"400\r\n" + body[:1024] + b"\r\nzz\r\n"), 5),
            ("chunked and cut", landing_site.raw(chunked + b"100000\r\n" + body[:5000]), 5),
            ("chunked and whole (refused: a chunked reply to HTTP/1.0)",
             landing_site.in_blocks(body, chunked=True), 5),
            ("a redirect loop", landing_site.redirect_loop, 5),
            ("404 with a page", (404, b"<html><body>Non trovato</body></html>", [("Content-Type", "text/html")]), 5),
            ("500 with a page", (500, b"<html><body>Errore interno</body></html>", [("Content-Type", "text/html")]),
             5),
            ("an empty body", (200, b"", []), 5),
            ("a content coding nobody asked for", (200, gzip.compress(body), [("Content-Encoding", "gzip")]), 5),
            ("announced larger than any program image",
             landing_site.raw(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % (5 << 30) + body), 5),
        ]
        self.start()
        for name, answer, seconds in failures:
            with self.subTest(name):
                self.site.files["/setup.exe"] = answer
                box, took = self.press(seconds + 15)
                self.assertEqual((box.get("caption"), box.get("text")), ("Error", FAILED), box)
                self.assertLess(took, seconds + 5, "never waits past the time-outs")
                self.assertEqual(self.left_in_folder(), [], "nothing left at the path")
                self.assertEqual(self.program.driver("info")["buttonenabled"], "1")

        successes = [
            ("a slow drip inside the time-outs", landing_site.in_blocks(body, block=len(body) // 4 + 1, delay=2.0)),
            ("a 2 MB header (Wine drops the line; the body is whole)",
             landing_site.raw(b"HTTP/1.1 200 OK\r\nX-Big: " + b"a" * (2 << 20) + b"\r\nContent-Length: %d\r\n\r\n"
                              % len(body) + body)),
        ]
        for name, answer in successes:
            with self.subTest(name):
                self.site.files["/setup.exe"] = answer
                self.program.driver("press")
                deadline = time.monotonic() + 30
                while not os.path.exists(self.path + ".started") and time.monotonic() < deadline:
                    time.sleep(0.2)
                self.assertTrue(os.path.exists(self.path + ".started"), "started")
                with open(self.path, "rb") as f:
                    self.assertEqual(f.read(), body)
                time.sleep(0.5)
                for leftover in self.left_in_folder():
                    os.remove(os.path.join(self.folder, leftover))  # so that the next press downloads again

    def test_a_read_only_folder_gives_the_default_error_box(self):
        # /proc refuses new files even to root, which ignores permission bits.
        os.makedirs(os.path.dirname(self.folder))
        os.symlink("/proc/1", self.folder)
        self.site.files["/setup.exe"] = (200, self.installer, [])
        self.start()
        box, _ = self.press(20)
        self.assertEqual(box.get("caption"), "Quarlo Fetchwell", box)
        self.assertIn("setup_B714.exe", box.get("text", ""))
        self.assertEqual(self.program.driver("info")["buttonenabled"], "0", "the table's last row")

    def test_landing_faults_leave_the_design_and_no_address(self):
        page = landing_site.settings_page({"DownloadLink": base("/setup.exe"), "BuildSetup": "714"})
        chunked = b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"

        def gzipped(data):
            def answer(handler):
                handler.head(200, [("Content-Encoding", "gzip"), ("Content-Length", str(len(data)))])
                handler.wfile.write(data)
            return answer
        cases = [
            ("refused", moved_to("http://127.0.0.1:1/php/landing.php", 307), 5),
            ("never answers", moved_to(base("/x", self.silent.port), 307), 16),
            ("chunked and cut", landing_site.raw(chunked + b"1000\r\n" + page[:100]), 5),
            ("truncated gzip", gzipped(gzip.compress(page)[:-12]), 5),
            ("oversized gzip", gzipped(gzip.compress(b"<BODY>" + b"A" * (17 << 20) + b"</BODY>")), 8),
        ]
        for name, answer, seconds in cases:
            with self.subTest(name):
                self.site.landing_answer = answer
                started = time.monotonic()
                self.start()
                self.assertLess(time.monotonic() - started, seconds + 10, "the window comes up within the time-outs")
                box, _ = self.press(15)
                self.assertEqual(box.get("text"), NO_ADDRESS, "no settings were taken from a broken reply")
                self.program.close()
                self.program = None

    def test_oversized_and_huge_pictures_keep_the_built_in_banner(self):
        for name, picture in [("a body over the cap", b"\x89PNG\r\n\x1a\n" + bytes(17 << 20)),
                              ("a picture of 20000 x 20000", huge_png())]:
            with self.subTest(name):
                self.site.clear_log()
                self.site.files["/b1.png"] = (200, picture, [("Content-Type", "image/png")])
                program = self.start({"ImgSmall1_link": base("/b1.png")})
                info = program.driver("info")
                shot = program.screenshot("faults-" + name.replace(" ", "-"))
                pixel = shot.pixel(int(info["originx"]) + BANNER_ACCENT[0], int(info["originy"]) + BANNER_ACCENT[1])
                self.assertTrue(harness.near(pixel, ORANGE), f"{name}: {pixel} in {shot.path}")
                self.assertEqual(program.driver("info")["caption"], "Quarlo - Download")
                self.assertIn("/b1.png", [p for _, p, _ in self.site.requests()], "the picture was fetched")
                program.close()
                self.program = None


if __name__ == "__main__":
    unittest.main(verbosity=2)
