"""End-to-end tests of a window that stays alive: during a slow download and
slow banner fetches the real program answers the system, the bar follows
the bytes, a close request ends it at once without leaving anything, input
waits for the transfer to end, and repeated presses give one download."""
import os
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import landing_site  # noqa: E402

INSTALLER = os.path.join(harness.BUILD, "test_installer.exe")
SLOW_SIZE = 24 * 1024 * 1024
SLOW_SECONDS = 12.0


def base(path):
    return f"http://127.0.0.1:{harness.PORT}{path}"


def slow_body(size, seconds, blocks=48):
    """A handler sending the test installer padded to size, in equal blocks
    spread over the given time."""
    with open(INSTALLER, "rb") as f:
        head = f.read()
    body = head + bytes(i * 7 % 251 for i in range(size - len(head)))

    def answer(handler):
        handler.send_response(200)
        handler.send_header("Content-Length", str(len(body)))
        handler.end_headers()
        step = len(body) // blocks
        try:
            for i in range(blocks):
                end = len(body) if i == blocks - 1 else (i + 1) * step
                handler.wfile.write(body[i * step:end])
                handler.wfile.flush()
                time.sleep(seconds / blocks)
        except OSError:
            pass  # the program went away

    return answer


def slow_picture(data, seconds):
    def answer(handler):
        time.sleep(seconds)
        try:
            handler.answer(200, data, [("Content-Type", "image/png")])
        except OSError:
            pass

    return answer


def filled_in_bar(shot, info):
    """How many pixels of the bar's middle row have the colour of its filled
    left end (the bar's colours are the desktop theme's matter)."""
    x0, y = int(info["originx"]), int(info["originy"]) + 570
    fill = shot.pixel(x0 + 150, y)
    return sum(1 for x in range(x0 + 149, x0 + 584) if harness.near(shot.pixel(x, y), fill, 12))


class AliveTest(harness.SiteTestCase):
    def setUp(self):
        self.site.clear_log()
        self.site.files.clear()
        self.program = None
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-alive-")
        self.temp = os.path.join(self.scratch, "temp")
        os.makedirs(self.temp)
        self.folder = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A")
        self.installer = os.path.join(self.folder, "setup_B714.exe")

    def tearDown(self):
        if self.program:
            self.program.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self, settings, wait=True):
        values = {"DownloadLink": base("/setup.exe"), "BuildSetup": "714", "DataSetup": "18/10/2023",
                  "DimensioneSetup_MB": "24"}
        values.update(settings)
        self.site.landing = landing_site.settings_page(values)
        self.program = harness.Program(self.display, self.site, changes=["TEMP=" + harness.windows_path(self.temp)],
                                       cwd=self.scratch)
        if wait:
            self.assertEqual(self.program.wait_shown().get("found"), "1")

    def requests(self, path):
        return [p for _, p, _ in self.site.requests() if p == path]

    def wait_for(self, condition, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if condition():
                return True
            time.sleep(0.2)
        return False

    def test_a_slow_download_keeps_the_window_answering_and_the_bar_moving(self):
        self.site.files["/setup.exe"] = slow_body(SLOW_SIZE, SLOW_SECONDS)
        self.start({})
        probe = self.program.probe(int(SLOW_SECONDS * 1000) + 3000)
        self.program.driver("press")
        time.sleep(3)
        first_info, first = self.program.driver("info"), self.program.screenshot("alive-download-1")
        time.sleep(4)
        second_info, second = self.program.driver("info"), self.program.screenshot("alive-download-2")
        answers = probe.result()
        print(f"slow download: {answers['probes']} probes, slowest answer {answers['slowest']} ms", file=sys.stderr)
        self.assertGreater(answers["probes"], 50, answers)
        self.assertEqual(answers["unanswered"], 0, answers)
        self.assertLess(answers["slowest"], 1000, answers)
        self.assertLess(int(first_info["barpos"]), int(second_info["barpos"]), (first_info, second_info))
        self.assertGreater(int(first_info["barpos"]), 0, first_info)
        self.assertLess(filled_in_bar(first, first_info) + 20, filled_in_bar(second, second_info))
        self.assertTrue(self.wait_for(lambda: os.path.exists(self.installer + ".started"), 20))
        self.assertEqual(len(self.requests("/setup.exe")), 1)

    def test_closing_during_the_download_ends_the_program_and_leaves_nothing(self):
        self.site.files["/setup.exe"] = slow_body(SLOW_SIZE, SLOW_SECONDS)
        self.start({})
        self.program.driver("press")
        time.sleep(3)
        self.assertTrue(os.path.exists(self.installer + ".partial"), "the download is under way")
        closed = self.program.driver("close", timeout=30)
        self.assertEqual(closed.get("closed"), "1", closed)
        self.assertLess(int(closed["windowms"]), 2000, closed)
        self.assertGreaterEqual(int(closed["endms"]), 0, closed)
        self.assertLess(int(closed["endms"]), 2000, closed)
        self.assertEqual(os.listdir(self.folder), [])
        time.sleep(SLOW_SECONDS)  # long enough for a download that went on to end
        self.assertEqual(os.listdir(self.folder), [])
        self.program = None

    def test_slow_banners_keep_the_window_answering_and_hold_a_click_until_they_end(self):
        png = harness.picture("png", "#00A000", "1600x290")
        for i in (1, 2, 3):
            self.site.files[f"/banner{i}.png"] = slow_picture(png, 5)
        self.site.files["/setup.exe"] = (200, open(INSTALLER, "rb").read(), [])
        self.start({f"ImgSmall{i}_link": base(f"/banner{i}.png") for i in (1, 2, 3)}, wait=False)
        self.assertEqual(self.program.driver("wait", "Quarlo - Download - Attendere", 30000, "shown").get("found"),
                         "1")
        probe = self.program.probe(17000)
        time.sleep(1)
        self.program.driver("press")  # during the fetches: it must wait for them
        answers = probe.result()
        print(f"slow banners: {answers['probes']} probes, slowest answer {answers['slowest']} ms", file=sys.stderr)
        self.assertEqual(answers["unanswered"], 0, answers)
        self.assertLess(answers["slowest"], 1000, answers)
        # The final caption comes with the end of the three 5 s fetches.
        self.assertGreater(answers["finalat"], 12000, answers)
        self.assertTrue(self.wait_for(lambda: os.path.exists(self.installer + ".started"), 20))
        paths = [p for _, p, _ in self.site.requests() if p != "/php/landing.php"]
        self.assertEqual(paths.index("/setup.exe"), len(paths) - 1, paths)
        self.assertEqual(paths[:3], ["/banner1.png", "/banner2.png", "/banner3.png"])

    def test_repeated_presses_give_one_download_and_one_start(self):
        self.site.files["/setup.exe"] = slow_body(2 * 1024 * 1024, 1.0, blocks=8)
        self.start({})
        for _ in range(5):
            self.program.driver("press")
        self.assertTrue(self.wait_for(lambda: os.path.exists(self.installer + ".started"), 30))
        time.sleep(2)
        self.assertEqual(len(self.requests("/setup.exe")), 1)
        info = self.program.driver("info")
        self.assertEqual(info["buttonenabled"], "1", info)
        with open(self.installer + ".runs") as f:
            self.assertEqual(f.read().splitlines(), ["run"])
        self.program.driver("press")  # a later press starts the stored installer, without a request
        self.assertTrue(self.wait_for(lambda: open(self.installer + ".runs").read().count("run") == 2, 20))
        self.assertEqual(len(self.requests("/setup.exe")), 1)


if __name__ == "__main__":
    unittest.main(verbosity=2)
