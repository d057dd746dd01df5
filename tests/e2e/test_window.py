"""End-to-end tests of the download window: the real program under Wine on
a virtual display, against a landing site on loopback."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import landing_site  # noqa: E402

RED, GREEN, BLUE = (224, 32, 32), (32, 192, 32), (32, 32, 224)
BANNER_ACCENT = (87, 456)  # client pixels at 96 DPI: the accent tile of each built-in banner


def base(path):
    return f"http://127.0.0.1:{harness.PORT}{path}"


class WindowTest(harness.SiteTestCase):
    def setUp(self):
        self.site.clear_log()
        self.site.files.clear()
        self.site.landing = b""
        self.site.landing_delay = 0.0
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.close()

    def start(self, **kwargs):
        self.program = harness.Program(self.display, self.site, **kwargs)
        return self.program

    def paths(self):
        return [path for _, path, _ in self.site.requests()]

    def sample(self, shot, info, point):
        x = int(info["originx"]) + point[0]
        y = int(info["originy"]) + point[1]
        return shot.pixel(x, y)

    def test_full_settings_pictures_and_banner_steps(self):
        driver = os.path.join(harness.BUILD, "window_driver.exe")
        marker = os.path.join(harness.BUILD, "driver-started.txt")
        if os.path.exists(marker):
            os.remove(marker)
        self.site.landing = landing_site.settings_page({
            "Titolo": "Benvenuto", "Sottotitolo": "NO", "Link": "Z:" + driver.replace("/", "\\"),
            "ImgMain_link": base("/pic/main.png"),
            "ImgSmall1_link": base("/pic/b1.png"),
            "ImgSmall2_link": base("/pic/b2.png"),   # a JPEG under a PNG name
            "ImgSmall3_link": base("/pic/b3.gif"),
            "DownloadLink": base("/setup.exe"), "BuildSetup": "714",
        })
        self.site.landing_delay = 2.0
        self.site.files = {
            "/pic/main.png": (200, harness.picture("png", "#808080"), []),
            "/pic/b1.png": (200, harness.picture("png", "#E02020"), [("Content-Type", "image/png")]),
            "/pic/b2.png": (200, harness.picture("jpeg", "#20C020"), [("Content-Type", "image/png")]),
            "/pic/b3.gif": (200, harness.picture("gif", "#2020E0"), []),
        }
        program = self.start()
        waiting = program.wait_caption("Quarlo - Download - Attendere")
        self.assertEqual(waiting.get("found"), "1", waiting)
        self.assertEqual(waiting.get("visible"), "0", "the caption is set before the window is shown")
        ready = program.wait_shown()
        self.assertEqual(ready.get("found"), "1", ready)
        shown_at = time.monotonic()

        self.assertEqual(self.paths(), ["/php/landing.php", "/pic/main.png", "/pic/b1.png", "/pic/b2.png", "/pic/b3.gif"])
        method, _, body = self.site.requests()[0]
        self.assertEqual(method, "POST")
        self.assertTrue(body.startswith(b"TR=1&pc="), body[:40])
        self.assertTrue(body.endswith(b"&param_tot_count=23"), body[-40:])

        info = program.driver("info")
        self.assertEqual((info["width"], info["height"]), ("800", "600"))
        self.assertEqual((info["sizebox"], info["maximizebox"], info["minimizebox"]), ("0", "0", "1"))
        self.assertEqual(info["button"], "606,553,163,32")
        self.assertEqual(info["bar"], "0", "the progress bar starts hidden")

        # The banners step every three seconds: downloaded PNG, JPEG, GIF, then none.
        expected = [("banner1", RED), ("banner2", GREEN), ("banner3", BLUE), ("none", None)]
        for step, (name, colour) in enumerate(expected):
            time.sleep(max(0.0, shown_at + 1.5 + 3.0 * step - time.monotonic()))
            shot = program.screenshot(f"full-{step}-{name}")
            pixel = self.sample(shot, info, BANNER_ACCENT)
            if colour:
                self.assertTrue(harness.near(pixel, colour), f"{name}: {pixel} in {shot.path}")
            else:
                for other in (RED, GREEN, BLUE):
                    self.assertFalse(harness.near(pixel, other), f"no banner: {pixel} in {shot.path}")

        # A second activation fetches nothing and leaves the caption alone.
        self.site.clear_log()
        program.driver("reactivate")
        time.sleep(1.0)
        self.assertEqual(self.paths(), [])
        self.assertEqual(program.driver("info")["caption"], "Quarlo - Download")

        # The link label lies beneath the background: a click there opens nothing.
        program.driver("click", 448 + 167, 354 + 8)
        time.sleep(2.0)
        self.assertFalse(os.path.exists(marker), "the link's program was started")
        self.assertEqual(program.driver("box", 500).get("box"), "0", "no message either")

    def test_empty_reply_keeps_the_design_and_still_starts_the_timer(self):
        self.site.landing = b"<html><body></body></html>"
        program = self.start()
        self.assertEqual(program.wait_shown().get("found"), "1")
        shown_at = time.monotonic()
        self.assertEqual(self.paths(), ["/php/landing.php"], "no picture requests")
        info = program.driver("info")
        time.sleep(max(0.0, shown_at + 1.5 - time.monotonic()))
        first = self.sample(program.screenshot("empty-0"), info, BANNER_ACCENT)
        time.sleep(max(0.0, shown_at + 4.5 - time.monotonic()))
        second = self.sample(program.screenshot("empty-1"), info, BANNER_ACCENT)
        self.assertTrue(harness.near(first, (0xF3, 0x90, 0x41)), f"the first built-in banner (orange) shows: {first}")
        self.assertTrue(harness.near(second, (0x3B, 0xAA, 0x5C)), f"the second built-in banner (green) shows: {second}")

    def test_missing_and_broken_pictures_leave_the_window_working(self):
        self.site.landing = landing_site.settings_page({
            "ImgMain_link": base("/pic/missing.png"),     # 404
            "ImgSmall1_link": base("/pic/empty.png"),     # 200, empty body: shows nothing
            "ImgSmall3_link": base("/pic/garbage.png"),   # 200, not a picture: keeps the built-in one
        })
        self.site.files = {
            "/pic/empty.png": (200, b"", []),
            "/pic/garbage.png": (200, b"\x89PNG\r\n\x1a\n" + b"not really a picture" * 50, []),
        }
        program = self.start()
        self.assertEqual(program.wait_shown().get("found"), "1")
        shown_at = time.monotonic()
        self.assertEqual(self.paths(), ["/php/landing.php", "/pic/missing.png", "/pic/empty.png", "/pic/garbage.png"],
                         "no request for the banner without an address")
        info = program.driver("info")
        time.sleep(max(0.0, shown_at + 1.5 - time.monotonic()))
        empty = program.screenshot("broken-0-empty-banner1")
        time.sleep(max(0.0, shown_at + 10.5 - time.monotonic()))
        none = program.screenshot("broken-3-none")
        self.assertEqual(self.sample(empty, info, BANNER_ACCENT), self.sample(none, info, BANNER_ACCENT),
                         "an empty picture shows what lies beneath")
        self.assertEqual(program.driver("info")["caption"], "Quarlo - Download")

    def test_opens_scaled_at_144_dpi(self):
        self.site.landing = b""
        set_dpi = ["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "144", "/f"]
        unset_dpi = ["wine", "reg", "delete", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/f"]
        env = dict(os.environ, WINEDEBUG="-all")
        harness.subprocess.run(set_dpi, env=env, capture_output=True, check=True)
        try:
            program = self.start()
            self.assertEqual(program.wait_shown().get("found"), "1")
            info = program.driver("info")
            program.screenshot("dpi-144")
            self.assertEqual((info["width"], info["height"]), ("1200", "900"))
            self.assertEqual(info["button"], "909,830,245,48", "606,553,163,32 scaled by MulDiv(v, 144, 96)")
        finally:
            harness.subprocess.run(unset_dpi, env=env, capture_output=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
