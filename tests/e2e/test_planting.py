"""DLL planting: a DLL of a system name placed next to the program, with Wine
told to prefer native DLLs of that name, is never loaded, through a whole run
(landing request, pictures, download, start of the installer)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402
import landing_site  # noqa: E402

# Every DLL a full run loads under Wine (WINEDEBUG=+loaddll) but kernel32,
# ntdll and msvcrt, the only static imports, and a few more that Windows
# itself may pull in. Under Wine, user32 imports version.dll, and user32
# and shell32 bring imm32 and shlwapi: planted, they would be taken at
# process start if the program imported user32 or shell32 statically.
PLANTED = ["version", "netapi32", "winhttp", "gdiplus", "comctl32", "uxtheme", "bcrypt", "crypt32", "wintrust",
           "dnsapi", "imm32", "iphlpapi", "jsproxy", "nsi", "oleaut32", "propsys", "shcore", "shlwapi",
           "windowscodecs", "ws2_32", "actxprxy", "dwmapi", "winmm", "userenv", "secur32", "msimg32",
           "user32", "gdi32", "advapi32", "shell32", "ole32", "combase", "rpcrt4", "sechost", "win32u", "zlib1"]


class PlantingTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="fetchwell-planted-")
        self.temp = os.path.join(self.folder, "temp")
        os.makedirs(self.temp)
        shutil.copy(os.path.join(harness.BUILD, "QuarloFetchwell_e2e.exe"), self.folder)
        shutil.copy(os.path.join(harness.BUILD, "plain_loader.exe"), self.folder)
        for name in PLANTED:
            shutil.copy(os.path.join(harness.BUILD, "planted_dll.dll"), os.path.join(self.folder, name + ".dll"))
        self.overrides = ",".join(PLANTED) + "=n,b;mscoree,mshtml="

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def markers(self):
        return sorted(f for f in os.listdir(self.folder) if f.endswith(".loaded"))

    def test_the_planting_itself_works_on_a_careless_loader(self):
        env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES=self.overrides)
        subprocess.run(["wine", os.path.join(self.folder, "plain_loader.exe"), "version.dll"], env=env,
                       cwd=self.folder, capture_output=True, timeout=60)
        self.assertIn("version.dll.loaded", self.markers(), "a plain LoadLibraryW takes the planted DLL")

    def test_a_whole_run_loads_no_planted_dll(self):
        display = harness.Display()
        site = landing_site.Site()
        server = landing_site.serve(site, harness.PORT)
        program = None
        try:
            base = f"http://127.0.0.1:{harness.PORT}"
            site.landing = landing_site.settings_page({
                "ImgMain_link": base + "/p.png", "ImgSmall1_link": base + "/p.gif", "ImgSmall2_link": base + "/p.jpg",
                "DownloadLink": base + "/setup.exe", "BuildSetup": "1"})
            with open(os.path.join(harness.BUILD, "test_installer.exe"), "rb") as f:
                installer = f.read()
            site.files = {"/p.png": (200, harness.picture("png", "#ff0000"), []),
                          "/p.gif": (200, harness.picture("gif", "#00ff00"), []),
                          "/p.jpg": (200, harness.picture("jpeg", "#0000ff"), []),
                          "/setup.exe": (200, installer, [])}
            program = harness.Program(display, site, exe=os.path.join(self.folder, "QuarloFetchwell_e2e.exe"),
                                      extra_env={"WINEDLLOVERRIDES": self.overrides},
                                      changes=["TEMP=" + harness.windows_path(self.temp)], cwd=self.folder)
            self.assertEqual(program.wait_shown().get("found"), "1")
            program.driver("press")
            started = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A", "setup_B1.exe.started")
            deadline = time.monotonic() + 30
            while not os.path.exists(started) and time.monotonic() < deadline:
                time.sleep(0.2)
            self.assertTrue(os.path.exists(started), "the run went as far as starting the installer")
            paths = [path for _, path, _ in site.requests()]
            self.assertEqual(paths, ["/php/landing.php", "/p.png", "/p.gif", "/p.jpg", "/setup.exe"])
        finally:
            if program:
                program.close()
            server.shutdown()
            display.close()
        self.assertEqual(self.markers(), [], "planted DLLs were loaded")


if __name__ == "__main__":
    unittest.main(verbosity=2)
