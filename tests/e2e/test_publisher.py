"""The publisher pin, end to end: the program built with the thumbprint of
the tests' "pinned" certificate starts only an installer signed with it and
intact; every other one is removed, a download that fails the check ends in
the error box, and a stored one that fails is downloaded anew."""
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

SIGNING = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixtures", "signing")
FAILED = "QUARLO\\r\\n\\r\\nErrore scaricamento programma"


def signed(source, name, out):
    subprocess.run(["osslsigncode", "sign", "-certs", os.path.join(SIGNING, name + ".crt"),
                    "-key", os.path.join(SIGNING, name + ".key"), "-h", "sha256", "-n", "Quarlo test installer",
                    "-in", source, "-out", out], check=True, capture_output=True)
    with open(out, "rb") as f:
        return f.read()


class PublisherPinTest(harness.SiteTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.work = tempfile.mkdtemp(prefix="fetchwell-signing-")
        source = os.path.join(harness.BUILD, "test_installer.exe")
        with open(source, "rb") as f:
            unsigned = f.read()
        pinned = signed(source, "pinned", os.path.join(cls.work, "pinned.exe"))
        other = signed(source, "other", os.path.join(cls.work, "other.exe"))
        flipped = bytearray(pinned)
        flipped[0x400 + 64] ^= 0x01  # inside the code: the signed hash no longer matches
        cls.variants = {"pinned": pinned, "other": other, "unsigned": unsigned, "flipped": bytes(flipped),
                        "truncated": pinned[:-200]}

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.site.files.clear()
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-pin-")
        self.path = os.path.join(self.scratch, "_Ostrel", "SETUP_DEPLOY_A", "setup_B714.exe")
        self.program = None

    def tearDown(self):
        if self.program:
            self.program.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def start(self, exe="QuarloFetchwell_e2e_pinned.exe"):
        base = f"http://127.0.0.1:{harness.PORT}"
        self.site.landing = landing_site.settings_page({"DownloadLink": base + "/setup.exe", "BuildSetup": "714"})
        self.program = harness.Program(self.display, self.site, exe=exe,
                                       changes=["TEMP=" + harness.windows_path(self.scratch)], cwd=self.scratch)
        self.assertEqual(self.program.wait_shown().get("found"), "1")
        self.site.clear_log()

    def serve(self, variant):
        self.site.files["/setup.exe"] = (200, self.variants[variant], [])

    def test_only_the_pinned_intact_download_starts(self):
        self.start()
        for variant in ["other", "unsigned", "flipped", "truncated"]:
            with self.subTest(variant):
                self.serve(variant)
                self.program.driver("press")
                box = self.program.driver("box", 30000, timeout=60)
                self.assertEqual((box.get("caption"), box.get("text")), ("Error", FAILED), box)
                self.assertFalse(os.path.exists(self.path), "a refused installer is removed")
                self.assertFalse(os.path.exists(self.path + ".started"))
        self.serve("pinned")
        self.program.driver("press")
        self.assertTrue(harness.wait_started(self.path, 15), "the pinned installer starts")
        with open(self.path, "rb") as f:
            self.assertEqual(f.read(), self.variants["pinned"])

    def test_a_stored_installer_is_checked_too(self):
        os.makedirs(os.path.dirname(self.path))
        cases = [("stored and pinned: started, nothing fetched", "pinned", []),
                 ("stored by another publisher: removed and fetched anew", "other", ["/setup.exe"])]
        for name, stored, requests in cases:
            with self.subTest(name):
                with open(self.path, "wb") as f:
                    f.write(self.variants[stored])
                self.serve("pinned")
                self.start()
                self.program.driver("press")
                self.assertTrue(harness.wait_started(self.path, 15), name)
                self.assertEqual([p for _, p, _ in self.site.requests()], requests)
                with open(self.path, "rb") as f:
                    self.assertEqual(f.read(), self.variants["pinned"])
                self.program.close()
                self.program = None
                os.remove(self.path + ".started")

    def test_two_pinned_publishers_both_pass(self):
        """A build pinned to the current and the next certificate starts an
        installer signed by either, and still refuses an unsigned one."""
        self.start("QuarloFetchwell_e2e_two_pins.exe")
        self.serve("unsigned")
        self.program.driver("press")
        box = self.program.driver("box", 30000, timeout=60)
        self.assertEqual(box.get("text"), FAILED, box)
        for variant in ["other", "pinned"]:
            with self.subTest(variant):
                if os.path.exists(self.path):
                    os.remove(self.path)  # each variant is downloaded, not started from the store
                self.serve(variant)
                self.program.driver("press")
                self.assertTrue(harness.wait_started(self.path, 15), variant)
                os.remove(self.path + ".started")
                with open(self.path, "rb") as f:
                    self.assertEqual(f.read(), self.variants[variant])


if __name__ == "__main__":
    unittest.main(verbosity=2)
