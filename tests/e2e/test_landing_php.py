"""End to end with the reference landing page: the real program under Wine
posts its machine profile to server/php/landing.php under PHP's built-in
server, the page stores the post in SQLite and answers with its settings,
and the program downloads and starts the installer those settings name."""
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PROFILE_KEYS = ["TR", "pc", "nc", "OS", "Res", "OS_Versione", "OS_Nome", "OS_Arch", "Terminal_Server", "CPU_Family",
                "CPU_Thread", "CPU_Mhz", "RAM", "IE_Versione", "FIREFOX_Versione", "CHROME_Versione",
                "Browser_Predefinito", "Screen_DPI", "Setup_CRC", "Setup_Filename", "_destination_alias",
                "HTTP_CALL_METHOD", "param_tot_count"]


class LandingPageTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-php-")
        www = os.path.join(self.scratch, "www")
        os.makedirs(os.path.join(www, "php"))
        os.makedirs(os.path.join(www, "download"))
        shutil.copy(os.path.join(ROOT, "server", "php", "landing.php"), os.path.join(www, "php", "landing.php"))
        shutil.copy(os.path.join(harness.BUILD, "test_installer.exe"), os.path.join(www, "download", "setup.exe"))
        self.database = os.path.join(self.scratch, "landing.sqlite")
        settings = os.path.join(self.scratch, "settings.ini")
        with open(settings, "w", encoding="utf-8") as f:
            f.write("[SETUP_DEPLOY_A]\nTitolo=Benvenuto\n"
                    f"DownloadLink=http://127.0.0.1:{harness.PORT}/download/setup.exe\n"
                    "BuildSetup=815\nDataSetup=11/12/2026\nDimensioneSetup_MB=1\n")
        env = dict(os.environ, LANDING_DB=self.database, LANDING_SETTINGS=settings)
        self.php = subprocess.Popen(["php", "-S", f"127.0.0.1:{harness.PORT}", "-t", www], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                urllib.request.urlopen(f"http://127.0.0.1:{harness.PORT}/download/setup.exe", timeout=1).read()
                break
            except OSError:
                time.sleep(0.1)
        self.temp = os.path.join(self.scratch, "temp")
        os.makedirs(self.temp)
        self.display = harness.Display()
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.close()
        self.display.close()
        self.php.terminate()
        self.php.wait(timeout=10)
        shutil.rmtree(self.scratch, ignore_errors=True)

    def test_the_programs_post_is_stored_and_its_settings_start_the_installer(self):
        self.program = harness.Program(self.display, None, changes=["TEMP=" + harness.windows_path(self.temp)],
                                       cwd=self.scratch)
        self.assertEqual(self.program.wait_shown().get("found"), "1")
        with sqlite3.connect(self.database) as db:
            rows = db.execute("SELECT received_at, client, fields FROM landing_posts").fetchall()
        self.assertEqual(len(rows), 1)
        received_at, client, fields = rows[0]
        self.assertEqual(client, "127.0.0.1")
        self.assertTrue(received_at.startswith("20"), received_at)
        fields = json.loads(fields, object_pairs_hook=list)
        self.assertEqual([k for k, _ in fields], PROFILE_KEYS)
        values = dict(fields)
        self.assertEqual(values["_destination_alias"], "SETUP_DEPLOY_A")
        self.assertEqual(values["param_tot_count"], "23")
        self.assertEqual(values["Setup_Filename"], "QuarloFetchwell_e2e.exe")

        # The reply's settings reached the program: it downloads what they name.
        self.program.driver("press")
        started = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A", "setup_B815.exe.started")
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not os.path.exists(started):
            time.sleep(0.2)
        self.assertTrue(os.path.exists(started), "the installer of the page's settings was started")
        self.assertEqual(self.program.info_bar().get("infobar"), "Download completato")


if __name__ == "__main__":
    unittest.main(verbosity=2)
