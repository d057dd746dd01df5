"""End-to-end hardening tests of the real program under Wine: a landing
reply that inflates far past the cap, a server that drips the landing reply,
a stored installer that cannot start, a redirect from https to http (with a
test CA trusted in the prefix), and the attachment services, stood in for by
a logging COM server registered in the prefix."""
import gzip
import http.server
import os
import shutil
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import com_registration  # noqa: E402
import harness  # noqa: E402
import landing_site  # noqa: E402

INSTALLER = os.path.join(harness.BUILD, "test_installer.exe")
NO_ADDRESS = "QUARLO\\r\\n\\r\\nImpossibile scaricare il programma, provare a disattivare l'Antivirus o il FireWall"
FAILED = "QUARLO\\r\\n\\r\\nErrore scaricamento programma"
HTTPS_PORT = harness.PORT + 7
ATTACHMENT_SERVICES = "{4125DD96-E03A-4103-8F70-E0597D803B9C}"


def base(path):
    return f"http://127.0.0.1:{harness.PORT}{path}"


def installer():
    with open(INSTALLER, "rb") as f:
        return f.read()


class SecureSite:
    """An https server on loopback with a certificate from a test CA: it
    redirects as the test asks and serves the installer."""

    def __init__(self, folder):
        self.ca = os.path.join(folder, "ca")
        key, crt, csr = (os.path.join(folder, n) for n in ("server.key", "server.crt", "server.csr"))
        ext = os.path.join(folder, "ext.cnf")
        # The address also as a DNS name: Wine's name check reads DNS names only.
        with open(ext, "w") as f:
            f.write("subjectAltName=IP:127.0.0.1,DNS:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
        run = lambda *args: subprocess.run(args, check=True, capture_output=True)  # noqa: E731
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Quarlo test CA",
            "-keyout", self.ca + ".key", "-out", self.ca + ".crt", "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        run("openssl", "x509", "-in", self.ca + ".crt", "-outform", "der", "-out", self.ca + ".der")
        run("openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", csr)
        run("openssl", "x509", "-req", "-in", csr, "-CA", self.ca + ".crt", "-CAkey", self.ca + ".key",
            "-CAcreateserial", "-days", "2", "-extfile", ext, "-out", crt)
        self.routes = {}
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                status, body, headers = site.routes.get(self.path, (404, b"", []))
                self.send_response(status)
                for name, value in headers:
                    self.send_header(name, value)
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", HTTPS_PORT), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(crt, key)
        self.server.socket = context.wrap_socket(self.server.socket, server_side=True)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class HardeningTest(harness.SiteTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.work = tempfile.mkdtemp(prefix="fetchwell-hardening-")
        cls.secure = SecureSite(cls.work)
        cls.env = dict(os.environ, DISPLAY=cls.display.name, WINEDEBUG="-all")
        trusted = subprocess.run(["wine", os.path.join(harness.BUILD, "trust_root.exe"), "add", cls.secure.ca + ".der"],
                                 env=cls.env, capture_output=True, text=True)
        assert "done=1" in trusted.stdout, trusted.stdout

    @classmethod
    def tearDownClass(cls):
        subprocess.run(["wine", os.path.join(harness.BUILD, "trust_root.exe"), "remove", cls.secure.ca + ".der"],
                       env=cls.env, capture_output=True)
        cls.secure.close()
        shutil.rmtree(cls.work, ignore_errors=True)
        super().tearDownClass()

    def setUp(self):
        self.site.clear_log()
        self.site.files.clear()
        self.site.landing_answer = None
        self.program = None
        self.scratch = tempfile.mkdtemp(prefix="fetchwell-hard-")
        self.temp = os.path.join(self.scratch, "temp")
        os.makedirs(self.temp)
        self.path = os.path.join(self.temp, "_Ostrel", "SETUP_DEPLOY_A", "setup_B714.exe")

    def tearDown(self):
        if self.program:
            self.program.close()
        self.site.landing_answer = None
        shutil.rmtree(self.scratch, ignore_errors=True)

    def launch(self, link=None, changes=()):
        self.site.landing = landing_site.settings_page({"DownloadLink": link or base("/setup.exe"),
                                                        "BuildSetup": "714"})
        self.program = harness.Program(self.display, self.site,
                                       changes=["TEMP=" + harness.windows_path(self.temp), *changes], cwd=self.scratch)

    def start(self, link=None, changes=()):
        self.launch(link, changes)
        self.assertEqual(self.program.wait_shown().get("found"), "1")
        self.site.clear_log()

    def requests(self, path):
        return [p for _, p, _ in self.site.requests() if p == path]

    def press_for_box(self):
        self.program.driver("press")
        return self.program.driver("box", 30000, timeout=60)

    # ------------------------------------------------------------ the landing reply

    def test_a_reply_that_inflates_past_the_cap_is_refused_at_once(self):
        lines = b"\r\n" * (8 << 20)  # 16 MB of empty lines around a valid section
        page = b"<html><BODY>" + lines + b"[SETUP_DEPLOY_A]\r\nDownloadLink=" + base("/setup.exe").encode() + \
            b"\r\n" + lines + b"</BODY></html>"
        packed = gzip.compress(page)
        answered = []

        def answer(handler):
            handler.head(200, [("Content-Encoding", "gzip"), ("Content-Length", str(len(packed)))])
            handler.wfile.write(packed)
            handler.wfile.flush()
            answered.append(time.monotonic())
        self.site.landing_answer = answer
        self.launch()
        self.assertEqual(self.program.wait_shown().get("found"), "1")
        shown = time.monotonic() - answered[0]
        print(f"hostile reply ({len(packed)} bytes of gzip): window shown {shown:.2f} s after it", file=sys.stderr)
        self.assertLess(shown, 2.0)
        box = self.press_for_box()
        self.assertEqual(box.get("text"), NO_ADDRESS, "nothing was taken from the refused reply")

    def test_a_dripping_landing_server_is_given_up_after_30_seconds(self):
        asked = []

        def drip(handler):
            asked.append(time.monotonic())
            handler.head(200, [("Content-Length", "1000")])
            try:
                for _ in range(10):
                    handler.wfile.write(b"<")
                    handler.wfile.flush()
                    time.sleep(9)
            except OSError:
                pass
        self.site.landing_answer = drip
        self.launch()
        found = self.program.driver("wait", "Quarlo - Download", 60000, "shown", timeout=90)
        self.assertEqual(found.get("found"), "1")
        waited = time.monotonic() - asked[0]
        print(f"dripping landing server: window shown {waited:.1f} s after the request", file=sys.stderr)
        self.assertGreater(waited, 25)
        self.assertLess(waited, 38)
        box = self.press_for_box()
        self.assertEqual(box.get("text"), NO_ADDRESS, "the design state: no installer address")

    def test_a_dripping_picture_server_is_given_up_after_20_seconds(self):
        def drip(handler):
            handler.head(200, [("Content-Length", "1000")])
            try:
                for _ in range(6):
                    handler.wfile.write(b"\x89")
                    handler.wfile.flush()
                    time.sleep(9)
            except OSError:
                pass
        self.site.files["/banner1.png"] = drip
        self.site.landing = landing_site.settings_page({"ImgSmall1_link": base("/banner1.png")})
        self.program = harness.Program(self.display, self.site, changes=["TEMP=" + harness.windows_path(self.temp)],
                                       cwd=self.scratch)
        shown = self.program.driver("wait", "Quarlo - Download - Attendere", 30000, "shown", timeout=60)
        self.assertEqual(shown.get("found"), "1")
        started = time.monotonic()
        final = self.program.driver("wait", "Quarlo - Download", 45000, timeout=90)
        self.assertEqual(final.get("found"), "1")
        waited = time.monotonic() - started
        print(f"dripping picture server: final caption {waited:.1f} s after the window showed", file=sys.stderr)
        self.assertGreater(waited, 15)
        self.assertLess(waited, 28)

    # ------------------------------------------------------------ starting the installer

    def test_a_stored_installer_that_cannot_start_is_downloaded_anew_once(self):
        os.makedirs(os.path.dirname(self.path))
        with open(self.path, "wb") as f:
            f.write(installer()[:3000])
        self.site.files["/setup.exe"] = (200, installer(), [])
        self.start()
        self.program.driver("press")
        self.assertTrue(harness.wait_started(self.path), "the fresh installer starts")
        self.assertEqual(len(self.requests("/setup.exe")), 1)
        with open(self.path, "rb") as f:
            self.assertEqual(f.read(), installer())

    def test_a_downloaded_installer_that_cannot_start_is_removed_and_reported(self):
        self.site.files["/setup.exe"] = (200, installer()[:3000], [])
        self.start()
        box = self.press_for_box()
        self.assertEqual((box.get("caption"), box.get("text")), ("Error", FAILED), box)
        self.assertFalse(os.path.exists(self.path), "nothing left for the next click to fail on")
        self.assertEqual(len(self.requests("/setup.exe")), 1)

    # ------------------------------------------------------------ redirects

    def test_https_never_redirects_to_http(self):
        secure = f"https://127.0.0.1:{HTTPS_PORT}"
        self.secure.routes = {
            "/down": (302, b"", [("Location", base("/setup.exe"))]),
            "/up": (302, b"", [("Location", secure + "/real.exe")]),
            "/real.exe": (200, installer(), []),
        }
        self.site.files["/setup.exe"] = (200, installer(), [])
        self.start(secure + "/down")
        box = self.press_for_box()
        self.assertEqual(box.get("text"), FAILED, box)
        self.assertEqual(self.requests("/setup.exe"), [], "the http address was never asked for")
        self.assertFalse(os.path.exists(self.path))
        self.program.close()
        # The control: the same server's https to https redirect is followed,
        # so the refusal above is the downgrade's and not the certificate's.
        self.start(secure + "/up")
        self.program.driver("press")
        self.assertTrue(harness.wait_started(self.path), "an https redirect within https is followed")

    # ------------------------------------------------------------ the Mark of the Web

    def test_the_installer_goes_to_the_attachment_services_before_it_starts(self):
        dll = os.path.join(harness.BUILD, "attachment_logger.dll")
        log = os.path.join(self.scratch, "attachment.log")
        self.site.files["/moved.exe"] = (302, b"", [("Location", base("/setup.exe"))])
        self.site.files["/setup.exe"] = (200, installer(), [])
        with com_registration.registered_com_server(self.program_env(), ATTACHMENT_SERVICES, dll):
            self.start(base("/moved.exe"), ["FETCHWELL_ATTACHMENT_LOG=" + harness.windows_path(log)])
            self.program.driver("press")
            self.assertTrue(harness.wait_started(self.path), "a saved installer starts")
            with open(log, encoding="utf-8") as f:
                calls = f.read().splitlines()
            self.assertIn("SetLocalPath " + harness.windows_path(self.path), calls)
            self.assertIn("SetSource " + base("/setup.exe"), calls, "the final address, after the redirect")
            self.assertTrue(any(c.startswith("SetClientGuid {") for c in calls), calls)
            self.assertEqual(calls[-1], "Save", calls)
            self.program.close()
            self.program = None

            # Policy or an antivirus blocks it: removed, reported, not started.
            os.remove(self.path)
            os.remove(self.path + ".started")
            self.start(base("/setup.exe"), ["FETCHWELL_ATTACHMENT_LOG=" + harness.windows_path(log),
                                            "FETCHWELL_ATTACHMENT_SAVE_HR=0x800C0011",
                                            "FETCHWELL_ATTACHMENT_SAVE_DELETES=1"])
            box = self.press_for_box()
            self.assertEqual(box.get("text"), FAILED, box)
            self.assertFalse(os.path.exists(self.path))
            self.assertFalse(os.path.exists(self.path + ".started"))

    def program_env(self):
        return dict(os.environ, WINEDEBUG="-all", DISPLAY=self.display.name)


if __name__ == "__main__":
    unittest.main(verbosity=2)
