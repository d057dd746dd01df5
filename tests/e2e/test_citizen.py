"""End-to-end tests of the program as a Windows citizen, under Wine: Enter on
the focused button downloads and starts the installer, a second start
brings the running window back and ends without a landing request, the
taskbar button follows the download (recorded by a logging stand-in for the
taskbar's COM object registered in the prefix), and a screen reader in
another process reads the window and hears its changes through MSAA."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import com_registration  # noqa: E402
import harness  # noqa: E402
import landing_site  # noqa: E402

INSTALLER = os.path.join(harness.BUILD, "test_installer.exe")
FAILED = "QUARLO\\r\\n\\r\\nErrore scaricamento programma"
TASKBAR_LIST = "{56FDF344-FD6D-11D0-958A-006097C9A090}"
VK_TAB, VK_RETURN, VK_SHIFT, VK_MENU, VK_ESCAPE, VK_SPACE, VK_F4 = 9, 13, 16, 18, 27, 32, 115
TBPF_NOPROGRESS, TBPF_NORMAL, TBPF_ERROR = 0, 2, 4
INFO = "Build 714 del 18/10/2023 - dimensione 3 MB"

# MSAA roles and states (oleacc.h, winuser.h).
ROLE_CLIENT, ROLE_LINK, ROLE_GRAPHIC, ROLE_STATICTEXT, ROLE_PUSHBUTTON, ROLE_PROGRESSBAR = 10, 30, 40, 41, 43, 48
UNAVAILABLE, FOCUSED, PRESSED, INVISIBLE, FOCUSABLE = 0x1, 0x4, 0x8, 0x8000, 0x100000


def state(fields, prefix):
    return int(fields[prefix + "state"], 16)


def base(path):
    return f"http://127.0.0.1:{harness.PORT}{path}"


class CitizenTest(harness.SiteTestCase):
    def setUp(self):
        self.site.clear_log()
        self.site.files.clear()
        self.program = None
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-citizen-")
        self.temp = os.path.join(self.scratch, "temp")
        os.makedirs(self.temp)
        self.path = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A", "setup_B714.exe")
        with open(INSTALLER, "rb") as f:
            self.installer = f.read()
        self.site.landing = landing_site.settings_page({"DownloadLink": base("/setup.exe"), "BuildSetup": "714",
                                                        "DataSetup": "18/10/2023", "DimensioneSetup_MB": "3"})

    def tearDown(self):
        if self.program:
            self.program.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self, changes=()):
        self.program = harness.Program(self.display, self.site,
                                       changes=["TEMP=" + harness.windows_path(self.temp), *changes], cwd=self.scratch)
        self.assertEqual(self.program.wait_shown().get("found"), "1")

    def test_enter_on_the_focused_button_downloads_and_starts_the_installer(self):
        self.site.files["/setup.exe"] = (200, self.installer, [])
        self.start()
        self.site.clear_log()
        self.assertEqual(self.program.driver("key", VK_RETURN).get("keyed"), "2")
        self.assertTrue(harness.wait_started(self.path), "Enter pressed the button")
        self.assertEqual([p for _, p, _ in self.site.requests()], ["/setup.exe"])

    def test_the_keyboard_moves_presses_and_closes(self):
        self.site.files["/setup.exe"] = (200, self.installer, [])
        self.start()
        # The button is the window's one tab stop: Tab and Shift+Tab leave
        # the focus, and its cue, on it.
        for key, modifier in [(VK_TAB, 0), (VK_TAB, VK_SHIFT)]:
            self.program.driver("key", key, modifier)
            tree = self.program.accessible()
            self.assertTrue(state(tree, "button_") & FOCUSED, (key, modifier, tree))
        # Alt+Space opens the system menu; Escape closes it, and a second
        # one leaves the menu mode, as in any window.
        self.assertEqual(self.program.driver("menu").get("menu"), "0")
        self.program.driver("key", VK_SPACE, VK_MENU)
        self.assertEqual(self.program.driver("menu").get("menu"), "1", "Alt+Space opened the system menu")
        self.program.driver("key", VK_ESCAPE)
        self.assertEqual(self.program.driver("menu").get("menu"), "0")
        self.program.driver("key", VK_ESCAPE)
        self.site.clear_log()
        self.program.driver("key", VK_SPACE)
        self.assertTrue(harness.wait_started(self.path), "Space pressed the button")
        self.assertEqual([p for _, p, _ in self.site.requests()], ["/setup.exe"])
        self.program.driver("key", VK_F4, VK_MENU)
        deadline = time.monotonic() + 10
        while self.program.driver("info").get("found") == "1" and time.monotonic() < deadline:
            time.sleep(0.2)
        self.assertEqual(self.program.driver("info").get("found"), "0", "Alt+F4 closed the window")
        self.program.gone()
        self.program = None

    def test_a_second_start_brings_the_window_back_and_ends(self):
        self.start()
        self.assertEqual(self.program.driver("minimize").get("iconic"), "1")
        self.site.clear_log()
        result = os.path.join(self.scratch, "second.txt")
        exe = os.path.join(harness.BUILD, "QuarloFetchwell_e2e.exe")
        subprocess.run(["wine", "explorer", "/desktop=e2e,1280x1024", os.path.join(harness.BUILD, "window_driver.exe"),
                        "second", harness.windows_path(exe), harness.windows_path(self.scratch),
                        harness.windows_path(result), "TEMP=" + harness.windows_path(self.temp)],
                       env=self.program.env, capture_output=True, timeout=60)
        with open(result) as f:
            ended = int(f.read().split("=")[1])
        self.assertGreaterEqual(ended, 0, "the second start ended by itself")
        self.assertLess(ended, 5000)
        self.assertEqual(self.site.requests(), [], "no landing request from the second start")
        time.sleep(0.5)
        info = self.program.driver("info")
        self.assertEqual(info.get("forms"), "1", info)
        self.assertEqual(info.get("iconic"), "0", "the running window was restored")

    def test_the_taskbar_button_follows_the_download(self):
        dll = os.path.join(harness.BUILD, "taskbar_logger.dll")
        log = os.path.join(self.scratch, "taskbar.log")
        env = dict(os.environ, WINEDEBUG="-all", DISPLAY=self.display.name)
        with com_registration.registered_com_server(env, TASKBAR_LIST, dll):
            self.site.files["/setup.exe"] = (404, b"<html>no</html>", [])
            self.start(["FETCHWELL_TASKBAR_LOG=" + harness.windows_path(log)])
            self.program.driver("press")
            box = self.program.driver("box", 30000, timeout=60)
            self.assertEqual(box.get("text"), FAILED, box)
            self.site.files["/setup.exe"] = (200, self.installer, [])
            self.program.driver("press")
            self.assertTrue(harness.wait_started(self.path))
            time.sleep(0.5)
            with open(log, encoding="utf-8") as f:
                calls = [c for c in f.read().splitlines() if c.startswith("SetProgress")]
        states = [int(c.split()[1]) for c in calls if c.startswith("SetProgressState")]
        # Normal while the failed attempt ran, red after it, normal again for
        # the next attempt, and nothing once it succeeded.
        self.assertEqual(states[0], TBPF_NORMAL, calls)
        self.assertIn(TBPF_ERROR, states, calls)
        error_at = states.index(TBPF_ERROR)
        self.assertEqual(states[error_at + 1], TBPF_NORMAL, calls)
        self.assertEqual(states[-1], TBPF_NOPROGRESS, calls)
        values = [c.split()[1:] for c in calls if c.startswith("SetProgressValue")]
        self.assertIn(["100", "100"], values, calls)
        self.assertTrue(all(total == "100" for _, total in values), calls)


    def test_a_screen_reader_reads_the_window(self):
        self.start()
        tree = self.program.accessible()
        self.assertEqual((tree["object"], tree["role"], tree["name"]), ("1", str(ROLE_CLIENT), "Quarlo - Download"),
                         tree)
        # The children in reading order: the texts, the link, the three
        # banners (the first one showing), the info bar, then the bar and
        # the button as windows of their own.
        children = [(tree[f"c{n}_kind"], tree.get(f"c{n}_role"), tree.get(f"c{n}_name")) for n in range(1, 11)]
        self.assertEqual(children, [
            ("simple", str(ROLE_STATICTEXT), "Download Ostrel"),
            ("simple", str(ROLE_STATICTEXT), "Software Gestionale"),
            ("simple", str(ROLE_STATICTEXT), "Il più completo software gestionale"),
            ("simple", str(ROLE_LINK), ""),
            ("simple", str(ROLE_GRAPHIC), "Banner 1"),
            ("simple", str(ROLE_GRAPHIC), "Banner 2"),
            ("simple", str(ROLE_GRAPHIC), "Banner 3"),
            ("simple", str(ROLE_STATICTEXT), ""),
            ("window", None, None),
            ("window", None, None),
        ], tree)
        self.assertEqual([bool(state(tree, f"c{n}_") & INVISIBLE) for n in (5, 6, 7)], [False, True, True], tree)
        # The button and the bar, each read through its own window.
        self.assertEqual((tree["button_role"], tree["button_name"], tree["button_action"]),
                         (str(ROLE_PUSHBUTTON), "Scarica il programma", "Premi"), tree)
        self.assertEqual(state(tree, "button_") & (FOCUSABLE | FOCUSED | UNAVAILABLE | PRESSED), FOCUSABLE | FOCUSED,
                         tree)
        self.assertEqual((tree["bar_role"], tree["bar_name"], tree["bar_value"]),
                         (str(ROLE_PROGRESSBAR), "Avanzamento del download", "30%"), tree)
        self.assertTrue(state(tree, "bar_") & INVISIBLE, tree)

    def test_a_screen_reader_follows_the_download(self):
        # About 5 s of download, so that the window is read while it waits.
        body = self.installer + b"\0" * (2 * 1024 * 1024 - len(self.installer))
        self.site.files["/setup.exe"] = landing_site.in_blocks(body, block=32 * 1024, delay=0.08)
        self.start()
        listener = self.program.listen(30000)
        self.addCleanup(listener.stop)
        self.program.driver("press")
        during = []
        deadline = time.monotonic() + 20
        while len(during) < 2 and time.monotonic() < deadline:
            tree = self.program.accessible()
            if not state(tree, "bar_") & INVISIBLE and tree["bar_value"] not in ("0%", "100%"):
                during.append(tree)
            time.sleep(0.5)
        self.assertEqual(len(during), 2, "the bar was read twice while the download ran")
        first, second = during
        # Disabled and latched while it downloads; the bar moves on.
        self.assertEqual(state(first, "button_") & (UNAVAILABLE | PRESSED), UNAVAILABLE | PRESSED, first)
        self.assertLess(int(first["bar_value"].rstrip("%")), int(second["bar_value"].rstrip("%")), during)
        self.assertEqual(self.program.info_bar().get("infobar"), INFO)
        self.assertTrue(harness.wait_started(self.path), "the download ended and the installer started")
        time.sleep(0.5)
        infobar = self.program.info_bar()
        self.assertEqual((infobar.get("infobar"), infobar.get("infobarrole")), ("Download completato", str(ROLE_STATICTEXT)),
                         infobar)
        self.program.close()
        self.program = None
        heard = listener.result()
        # Each change of the info bar was announced with the new text.
        names = heard["names"].split("|")
        self.assertIn(INFO, names, heard)
        self.assertEqual(names[-1], "Download completato", heard)
        self.assertGreater(int(heard["valuechanges"]), 10, heard)
        self.assertGreater(int(heard["statechanges"]), 0, heard)


if __name__ == "__main__":
    unittest.main(verbosity=2)
