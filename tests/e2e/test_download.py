"""End-to-end tests of the download button: the real program under Wine on a
virtual display downloads a real (small) installer from a loopback site,
stores it and starts it; every failure ends in its box and leaves no file."""
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
NO_ADDRESS = "QUARLO\\r\\n\\r\\nImpossibile scaricare il programma, provare a disattivare l'Antivirus o il FireWall"
FAILED = "QUARLO\\r\\n\\r\\nErrore scaricamento programma"
INFO = "Build 714 del 18/10/2023 - dimensione 3 MB"


def base(path):
    return f"http://127.0.0.1:{harness.PORT}{path}"


def installer_bytes(padding):
    """The test installer with bytes after its image: it still runs, and the
    file is large enough to arrive in many blocks."""
    with open(INSTALLER, "rb") as f:
        return f.read() + bytes(i * 7 % 251 for i in range(padding))


class DownloadTest(harness.SiteTestCase):
    def setUp(self):
        self.site.clear_log()
        self.site.files.clear()
        self.program = None
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-e2e-")
        self.temp = os.path.join(self.scratch, "temp")
        os.makedirs(self.temp)

    def tearDown(self):
        if self.program:
            self.program.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self, settings, changes=None, **kwargs):
        values = {"DownloadLink": base("/setup.exe"), "BuildSetup": "714", "DataSetup": "18/10/2023",
                  "DimensioneSetup_MB": "3"}
        values.update(settings)
        self.site.landing = landing_site.settings_page({k: v for k, v in values.items() if v is not None})
        if changes is None:
            changes = ["TEMP=" + harness.windows_path(self.temp)]
        self.program = harness.Program(self.display, self.site, changes=changes, cwd=self.scratch, **kwargs)
        self.assertEqual(self.program.wait_shown().get("found"), "1")
        self.site.clear_log()
        return self.program

    def installer_path(self, folder=None, build="714"):
        return os.path.join(folder or self.temp, "_Ostrel", "SETUP_DEPLOY_A", f"setup_B{build}.exe")

    def downloads(self):
        return [path for _, path, _ in self.site.requests() if path == "/setup.exe"]

    def press_and_read_box(self, wait_ms=30000):
        self.program.driver("press")
        return self.program.driver("box", wait_ms, timeout=wait_ms / 1000 + 30)

    def assert_state(self, button, infobar, bar, barpos=None):
        info = self.program.driver("info")
        self.assertEqual(info["buttonenabled"], button, info)
        self.assertEqual(info["bar"], bar, info)
        if barpos is not None:
            self.assertEqual(info["barpos"], barpos, info)
        self.assertEqual(self.program.info_bar().get("infobar"), infobar)

    def assert_nothing_stored(self, path):
        folder = os.path.dirname(path)
        left = os.listdir(folder) if os.path.isdir(folder) else []
        self.assertEqual(left, [], "no installer and no partial file")

    def test_failures_then_success_then_the_stored_installer(self):
        body = installer_bytes(3 * 1024 * 1024)
        path = self.installer_path()
        program = self.start({})

        # 404 with a page: the error box, the bar shown at 100, the info text stays.
        self.site.files["/setup.exe"] = (404, b"<html><body>Non trovato</body></html>", [("Content-Type", "text/html")])
        box = self.press_and_read_box()
        self.assertEqual((box.get("caption"), box.get("text")), ("Error", FAILED), box)
        time.sleep(0.5)
        self.assert_state(button="1", infobar=INFO, bar="1", barpos="100")
        self.assert_nothing_stored(path)

        # Dropped after a third, against its Content-Length: the bar stays
        # at the progress reached.
        self.site.files["/setup.exe"] = landing_site.cut_after(body, len(body) // 3 + 10)
        box = self.press_and_read_box()
        self.assertEqual(box.get("text"), FAILED, box)
        time.sleep(0.5)
        self.assert_state(button="1", infobar=INFO, bar="1", barpos="33")
        self.assert_nothing_stored(path)

        # Silent mid-body: the response time-out ends the wait.
        self.site.files["/setup.exe"] = landing_site.cut_after(body, 100000, silence=25)
        pressed = time.monotonic()
        box = self.press_and_read_box(wait_ms=40000)
        waited = time.monotonic() - pressed
        self.assertEqual(box.get("text"), FAILED, box)
        self.assertTrue(8 <= waited <= 22, f"the silent server was given up after {waited:.1f} s")
        self.assert_nothing_stored(path)

        # A good download in many blocks.
        self.site.files["/setup.exe"] = landing_site.in_blocks(body, block=32 * 1024, delay=0.002)
        self.site.clear_log()
        program.driver("press")
        self.assertTrue(harness.wait_started(path), "the downloaded installer was started")
        with open(path, "rb") as f:
            self.assertEqual(f.read(), body, "the stored installer is the served file")
        self.assertEqual(sorted(os.listdir(os.path.dirname(path))), ["setup_B714.exe", "setup_B714.exe.runs", "setup_B714.exe.started"])
        self.assertEqual(self.downloads(), ["/setup.exe"])
        time.sleep(0.5)
        self.assert_state(button="1", infobar="Download completato", bar="0")
        self.assertEqual(program.driver("box", 500).get("box"), "0", "no box after a good download")

        # The next press starts the stored file without a request and leaves the button disabled.
        os.remove(path + ".started")
        self.site.clear_log()
        program.driver("press")
        self.assertTrue(harness.wait_started(path), "the stored installer was started")
        time.sleep(0.5)
        self.assertEqual(self.site.requests(), [], "no request for a stored installer")
        self.assert_state(button="0", infobar="", bar="0")

    def test_paths_from_temp_and_build(self):
        body = installer_bytes(1000)
        temp_with_delimiter = "TEMP=" + harness.windows_path(self.temp) + "\\"
        cases = [
            ("trailing delimiter, empty build", [temp_with_delimiter], "", self.installer_path(build="")),
            ("TEMP not set", ["-TEMP"], "714",
             os.path.join(self.scratch, "_Ostrel", "SETUP_DEPLOY_A", "setup_B714.exe")),
        ]
        for name, changes, build, path in cases:
            with self.subTest(name):
                # Without a Content-Length: the bar still ends at 100 and hides.
                self.site.files["/setup.exe"] = landing_site.in_blocks(body, block=256, delay=0.001, length=False)
                program = self.start({"BuildSetup": build}, changes=changes)
                program.driver("press")
                self.assertTrue(harness.wait_started(path), f"started at {path}")
                with open(path, "rb") as f:
                    self.assertEqual(f.read(), body)
                time.sleep(0.5)
                self.assert_state(button="1", infobar="Download completato", bar="0")
                program.close()
                self.program = None

    def test_no_address_and_an_invalid_address(self):
        cases = [("no address", None, "Warning", NO_ADDRESS, ""),
                 ("invalid address", "htp:/127.0.0.1/setup.exe", "Error", FAILED, INFO),
                 ("refused", "http://127.0.0.1:1/setup.exe", "Error", FAILED, INFO)]
        for name, link, caption, text, infobar in cases:
            with self.subTest(name):
                self.start({"DownloadLink": link})
                box = self.press_and_read_box()
                self.assertEqual((box.get("caption"), box.get("text")), (caption, text), box)
                time.sleep(0.3)
                self.assertEqual(self.program.driver("info")["buttonenabled"], "1")
                self.assertEqual(self.program.info_bar().get("infobar"), infobar)
                self.assert_nothing_stored(self.installer_path())
                self.program.close()
                self.program = None

    def test_folder_blocked_by_a_file_gives_the_default_error_box(self):
        os.makedirs(os.path.join(self.temp, "_Ostrel"))
        blocker = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A")
        with open(blocker, "wb") as f:
            f.write(b"in the way")
        self.site.files["/setup.exe"] = landing_site.in_blocks(installer_bytes(200000))
        self.start({})
        box = self.press_and_read_box()
        self.assertEqual(box.get("caption"), "Quarlo Fetchwell", box)
        self.assertIn("setup_B714.exe", box.get("text", ""))
        time.sleep(0.3)
        self.assert_state(button="0", infobar="Download completato", bar="1", barpos="100")
        with open(blocker, "rb") as f:
            self.assertEqual(f.read(), b"in the way", "the file in the way is left alone")

    def test_hostile_build_texts_write_nothing(self):
        outside = os.path.join(self.temp, "evil")
        self.site.files["/setup.exe"] = landing_site.in_blocks(installer_bytes(1000))
        for build in ["..\\..\\evil", "x\\..\\..\\..\\evil", "CON:", "a/b", "\\\\?\\C:\\evil", "1..2", "x*",
                      "x:stream", "C:\\evil", "\\\\server\\share\\evil", "7\t14"]:
            with self.subTest(build):
                self.start({"BuildSetup": build})
                box = self.press_and_read_box()
                self.assertEqual((box.get("caption"), box.get("text")), ("Error", FAILED), box)
                self.assertEqual(self.downloads(), [], "nothing is fetched for a name that cannot be stored")
                self.assertEqual(self.program.driver("info")["buttonenabled"], "1")
                self.assertFalse(os.path.exists(outside + ".exe"))
                found = [os.path.join(d, f) for d, _, files in os.walk(self.scratch) for f in files]
                self.assertEqual(found, [], "nothing written anywhere")
                self.program.close()
                self.program = None


if __name__ == "__main__":
    unittest.main(verbosity=2)
