"""The reference landing page (server/php/landing.php) under PHP's built-in
server: the program's own post, malformed posts, the rows in the SQLite
database and the settings section of the reply.

Each request goes over a plain socket as HTTP/1.0, the way the program sends
it, so that the reply's framing is seen as the program sees it.
"""
import json
import os
import re
import shutil
import socket
import sqlite3
import subprocess
import tempfile
import time
import unittest
from datetime import datetime, timedelta, timezone
from urllib.parse import quote_plus

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SERVER = os.path.join(ROOT, "server")
PATH = "/php/landing.php"

# A machine profile as the program builds it (21 lines) with the two lines the
# landing request appends, and the body it sends for them: UTF-8, A-Z a-z 0-9
# * - . _ as they are, space as "+", every other byte as %XX.
PROGRAM_FIELDS = [
    ("TR", "1"),
    ("pc", "38411012"),
    ("nc", "UFFICIO-ROSSI"),
    ("OS", "10.0"),
    ("Res", "1920-1080"),
    ("OS_Versione", "10,0"),
    ("OS_Nome", "Windows 10"),
    ("OS_Arch", "64"),
    ("Terminal_Server", "False"),
    ("CPU_Family", "Intel(R) Core(TM) i5-10400 CPU @ 2.90GHz"),
    ("CPU_Thread", "12"),
    ("CPU_Mhz", "2904"),
    ("RAM", "16259"),
    ("IE_Versione", "11"),
    ("FIREFOX_Versione", "0"),
    ("CHROME_Versione", "120"),
    ("Browser_Predefinito", "msedge.exe"),
    ("Screen_DPI", "96"),
    ("Setup_CRC", "3735928559"),
    ("Setup_Filename", "Quarlo Fetchwell \u2013 Caff\u00e8 Citt\u00e0.exe"),
    ("_destination_alias", "SETUP_DEPLOY_A"),
    ("HTTP_CALL_METHOD", "NETHTTP"),
    ("param_tot_count", "23"),
]
PROGRAM_BODY = (
    b"TR=1&pc=38411012&nc=UFFICIO-ROSSI&OS=10.0&Res=1920-1080&OS_Versione=10%2C0"
    b"&OS_Nome=Windows+10&OS_Arch=64&Terminal_Server=False"
    b"&CPU_Family=Intel%28R%29+Core%28TM%29+i5-10400+CPU+%40+2.90GHz&CPU_Thread=12"
    b"&CPU_Mhz=2904&RAM=16259&IE_Versione=11&FIREFOX_Versione=0&CHROME_Versione=120"
    b"&Browser_Predefinito=msedge.exe&Screen_DPI=96&Setup_CRC=3735928559"
    b"&Setup_Filename=Quarlo+Fetchwell+%E2%80%93+Caff%C3%A8+Citt%C3%A0.exe"
    b"&_destination_alias=SETUP_DEPLOY_A&HTTP_CALL_METHOD=NETHTTP&param_tot_count=23"
)
FORM = "application/x-www-form-urlencoded; charset=utf-8"
PROGRAM_HEADERS = [
    ("Content-Type", FORM),
    ("ContentType", "application/x-www-form-urlencoded"),
    ("User-Agent", "Quarlo Fetchwell/1.0"),
]
ALIAS = b"_destination_alias=SETUP_DEPLOY_A"

SETTINGS = """\
; settings of the tests
[ALTRO]
Titolo=non questo

[SETUP_DEPLOY_A]
Titolo=Benvenuto in Quarlo
Sottotitolo=Il gestionale più semplice
Testo1=Fatture; magazzino # e contabilità = tutto in uno
Link=https://www.example.it/prova?da=quarlo&lingua=it
ImgMain_link=
ImgSmall1_link=https://cdn.example.it/banner/1.png
ImgSmall2_link=https://cdn.example.it/banner/2.png
ImgSmall3_link=https://cdn.example.it/banner/3.png
DownloadLink=https://download.example.it/setup.exe
BuildSetup=714
DataSetup=18/10/2023
DimensioneSetup_MB=85

[DOPO]
Titolo=nemmeno questo
"""
SECTION = [
    "[SETUP_DEPLOY_A]",
    "Titolo=Benvenuto in Quarlo",
    "Sottotitolo=Il gestionale più semplice",
    "Testo1=Fatture; magazzino # e contabilità = tutto in uno",
    "Link=https://www.example.it/prova?da=quarlo&lingua=it",
    "ImgMain_link=",
    "ImgSmall1_link=https://cdn.example.it/banner/1.png",
    "ImgSmall2_link=https://cdn.example.it/banner/2.png",
    "ImgSmall3_link=https://cdn.example.it/banner/3.png",
    "DownloadLink=https://download.example.it/setup.exe",
    "BuildSetup=714",
    "DataSetup=18/10/2023",
    "DimensioneSetup_MB=85",
]
# The keys the program reads, in its order.
PROGRAM_KEYS = ["Titolo", "Sottotitolo", "Testo1", "Link", "ImgMain_link", "ImgSmall1_link", "ImgSmall2_link",
                "ImgSmall3_link", "DownloadLink", "BuildSetup", "DataSetup", "DimensioneSetup_MB"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Reply:
    def __init__(self, raw):
        head, _, self.body = raw.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        self.status = int(lines[0].split()[1])
        self.headers = {}
        for line in lines[1:]:
            name, _, value = line.partition(":")
            self.headers[name.strip().lower()] = value.strip()


class PhpServer:
    """php -S on a free loopback port, serving docroot with the given
    environment, stopped by stop()."""

    def __init__(self, docroot, env, log_path):
        self.port = free_port()
        self.log = open(log_path, "wb")
        self.process = subprocess.Popen(["php", "-S", f"127.0.0.1:{self.port}", "-t", docroot], env=env,
                                        stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 10
        while True:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return
            except OSError:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    self.stop()
                    with open(log_path, "rb") as f:
                        raise RuntimeError("php -S did not start: " + f.read().decode(errors="replace"))
                time.sleep(0.05)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.log.close()

    def exchange(self, method="POST", body=b"", headers=PROGRAM_HEADERS):
        lines = [f"{method} {PATH} HTTP/1.0", f"Host: 127.0.0.1:{self.port}"]
        lines += [f"{name}: {value}" for name, value in headers]
        if method not in ("GET", "HEAD") or body:
            lines.append(f"Content-Length: {len(body)}")
        request = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as s:
            s.sendall(request)
            raw = b""
            while chunk := s.recv(65536):
                raw += chunk
        return Reply(raw)


def section_lines(body):
    """The lines the program reads from a reply body: the text between the
    first <BODY> and the first </BODY> (ASCII letters without case), trimmed
    of characters up to U+0020, ended by a NUL, split at CR LF, CR or LF."""
    folded = body.upper()  # bytes: only a-z are folded
    start, end = folded.find(b"<BODY>"), folded.find(b"</BODY>")
    if start < 0 or end < start:
        raise AssertionError(f"no <BODY>...</BODY> in {body!r}")
    text = body[start + 6:end].decode("utf-8")  # strict: the page always sends UTF-8
    text = text.strip("".join(map(chr, range(33)))).split("\0")[0]
    return re.split(r"\r\n|\r|\n", text)


def stored_rows(database, after=0):
    """(rowid, received_at, client, fields as a list of pairs) of the rows
    after the given rowid; none when the database does not exist yet."""
    if not os.path.exists(database):
        return []
    with sqlite3.connect(database) as db:
        rows = db.execute("SELECT rowid, received_at, client, fields FROM landing_posts WHERE rowid > ? ORDER BY rowid",
                          (after,)).fetchall()
    return [(r[0], r[1], r[2], json.loads(r[3], object_pairs_hook=lambda pairs: [list(p) for p in pairs])) for r in rows]


def last_rowid(database):
    rows = stored_rows(database)
    return rows[-1][0] if rows else 0


def filler(count):
    return [f"f{i}=v{i}".encode() for i in range(count)]


class LandingPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if shutil.which("php") is None:
            raise RuntimeError("php is not installed: run scripts/install-packages.sh")
        cls.work = tempfile.mkdtemp(prefix="landing-page-")
        # The page creates the database's folder itself.
        cls.database = os.path.join(cls.work, "not", "yet", "there", "landing.sqlite")
        cls.settings = os.path.join(cls.work, "settings.ini")
        cls.write_settings(SETTINGS)
        env = dict(os.environ, LANDING_DB=cls.database, LANDING_SETTINGS=cls.settings)
        cls.server = PhpServer(SERVER, env, os.path.join(cls.work, "php.log"))

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        shutil.rmtree(cls.work, ignore_errors=True)

    @classmethod
    def write_settings(cls, text, encoding="utf-8"):
        with open(cls.settings, "wb") as f:
            f.write(text.encode(encoding) if isinstance(text, str) else text)

    def with_settings(self, text):
        self.write_settings(text)
        self.addCleanup(self.write_settings, SETTINGS)

    def post(self, body, content_type=FORM):
        headers = [("Content-Type", content_type)] if content_type is not None else []
        return self.server.exchange("POST", body, headers)

    def test_the_programs_own_post(self):
        before = last_rowid(self.database)
        started = datetime.now(timezone.utc).replace(microsecond=0)
        reply = self.server.exchange("POST", PROGRAM_BODY, PROGRAM_HEADERS)
        ended = datetime.now(timezone.utc)

        self.assertEqual(reply.status, 200, reply.body)
        self.assertEqual(reply.headers.get("content-type"), "text/html; charset=utf-8")
        # The program refuses a chunked reply to its HTTP/1.0 request and
        # reads no further than the announced length.
        self.assertNotIn("transfer-encoding", reply.headers)
        self.assertNotIn("content-encoding", reply.headers)
        self.assertEqual(reply.headers.get("content-length"), str(len(reply.body)))
        self.assertEqual(section_lines(reply.body), SECTION)
        self.assertIn(b"\r\n[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto in Quarlo\r\n", reply.body, "lines end with CR LF")

        rows = stored_rows(self.database, before)
        self.assertEqual(len(rows), 1)
        _, received_at, client, fields = rows[0]
        self.assertRegex(received_at, r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
        moment = datetime.strptime(received_at, "%Y-%m-%dT%H:%M:%SZ").replace(tzinfo=timezone.utc)
        self.assertTrue(started <= moment <= ended + timedelta(seconds=1), received_at)
        self.assertEqual(client, "127.0.0.1")
        self.assertEqual(fields, [list(pair) for pair in PROGRAM_FIELDS], "every field, decoded, in order")

    def test_malformed_posts_are_refused_and_not_stored(self):
        good = PROGRAM_BODY
        cases = [
            ("GET", "GET", FORM, b"", 405),
            ("PUT", "PUT", FORM, good, 405),
            ("no content type", "POST", None, good, 400),
            ("plain text", "POST", "text/plain; charset=utf-8", good, 400),
            ("multipart", "POST", "multipart/form-data; boundary=x", good, 400),
            ("another charset", "POST", "application/x-www-form-urlencoded; charset=iso-8859-1", good, 400),
            ("empty body", "POST", FORM, b"", 400),
            ("leading &", "POST", FORM, b"&" + good, 400),
            ("trailing &", "POST", FORM, good + b"&", 400),
            ("empty field", "POST", FORM, b"TR=1&&" + ALIAS, 400),
            ("field without =", "POST", FORM, b"TR&" + ALIAS, 400),
            ("field without name", "POST", FORM, b"=1&" + ALIAS, 400),
            ("% without digits", "POST", FORM, b"a=%G1&" + ALIAS, 400),
            ("% with one digit", "POST", FORM, b"a=%2&" + ALIAS, 400),
            ("% at the end", "POST", FORM, ALIAS + b"&a=50%", 400),
            ("raw space", "POST", FORM, b"a=b c&" + ALIAS, 400),
            ("raw UTF-8", "POST", FORM, "a=caffè&".encode() + ALIAS, 400),
            ("raw line break", "POST", FORM, b"a=b\r\n&" + ALIAS, 400),
            ("invalid UTF-8", "POST", FORM, b"a=%C3%28&" + ALIAS, 400),
            ("Latin-1 byte", "POST", FORM, b"a=caff%E8&" + ALIAS, 400),
            ("overlong UTF-8", "POST", FORM, b"a=%C0%AF&" + ALIAS, 400),
            ("UTF-8 surrogate", "POST", FORM, b"a=%ED%A0%80&" + ALIAS, 400),
            ("truncated UTF-8", "POST", FORM, b"a=%E2%82&" + ALIAS, 400),
            ("invalid UTF-8 name", "POST", FORM, b"%FF=1&" + ALIAS, 400),
            ("no destination", "POST", FORM, good.replace(ALIAS + b"&", b""), 400),
            ("empty destination", "POST", FORM, good.replace(ALIAS, b"_destination_alias="), 400),
            ("repeated field", "POST", FORM, b"TR=1&TR=2&" + ALIAS, 400),
            ("repeated destination", "POST", FORM, good + b"&" + ALIAS, 400),
            ("65 fields", "POST", FORM, b"&".join(filler(64) + [ALIAS]), 400),
            ("65537 bytes", "POST", FORM, ALIAS + b"&pad=" + b"x" * (65537 - len(ALIAS) - 5), 400),
        ]
        self.assertEqual(len(cases[-1][3]), 65537)
        for label, method, content_type, body, status in cases:
            with self.subTest(label):
                before = last_rowid(self.database)
                headers = [("Content-Type", content_type)] if content_type else []
                reply = self.server.exchange(method, body, headers)
                self.assertEqual(reply.status, status, reply.body)
                self.assertEqual(reply.headers.get("content-type"), "text/html; charset=utf-8")
                self.assertNotIn(b"SETUP_DEPLOY_A]", reply.body, "no settings in a refusal")
                self.assertEqual(stored_rows(self.database, before), [], "nothing stored")
                if status == 405:
                    self.assertEqual(reply.headers.get("allow"), "POST")

    def test_well_formed_posts_at_the_edges_are_stored_as_sent(self):
        at_cap = ALIAS + b"&pad=" + b"x" * (65536 - len(ALIAS) - 5)
        sql = "x'); DROP TABLE landing_posts; --"
        cases = [
            ("upper-case type, quoted charset", 'APPLICATION/X-WWW-FORM-URLENCODED; CHARSET="UTF-8"', ALIAS,
             [["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("no charset", "application/x-www-form-urlencoded", ALIAS, [["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("lower-case hex", FORM, b"c=caff%c3%a8&" + ALIAS, [["c", "caffè"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("= inside a value", FORM, b"k=a=b&" + ALIAS, [["k", "a=b"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("encoded names", FORM, b"my+name=%2B&" + ALIAS, [["my name", "+"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("empty values", FORM, b"CPU_Mhz=&nc=&" + ALIAS,
             [["CPU_Mhz", ""], ["nc", ""], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("control characters", FORM, b"a=%00%0D%0A%09&" + ALIAS,
             [["a", "\0\r\n\t"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("numbered names stay an object", FORM, b"0=a&1=b&" + ALIAS,
             [["0", "a"], ["1", "b"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("names differing in case", FORM, b"ram=1&RAM=2&" + ALIAS,
             [["ram", "1"], ["RAM", "2"], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("SQL in a value", FORM, b"nc=" + quote_plus(sql).encode() + b"&" + ALIAS,
             [["nc", sql], ["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("64 fields", FORM, b"&".join(filler(63) + [ALIAS]),
             [[f"f{i}", f"v{i}"] for i in range(63)] + [["_destination_alias", "SETUP_DEPLOY_A"]]),
            ("65536 bytes", FORM, at_cap,
             [["_destination_alias", "SETUP_DEPLOY_A"], ["pad", "x" * (65536 - len(ALIAS) - 5)]]),
        ]
        self.assertEqual(len(at_cap), 65536)
        for label, content_type, body, fields in cases:
            with self.subTest(label):
                before = last_rowid(self.database)
                reply = self.post(body, content_type)
                self.assertEqual(reply.status, 200, reply.body)
                self.assertEqual(section_lines(reply.body), SECTION)
                rows = stored_rows(self.database, before)
                self.assertEqual([row[3] for row in rows], [fields])

    def test_settings_values_cannot_add_lines_to_the_reply(self):
        # A lone CR, a NUL and other control characters are line ends or the
        # end of the text to the program: each run is sent as one space, so
        # the planted DownloadLink stays part of Testo1's value.
        settings = ("[SETUP_DEPLOY_A]\n"
                    "Titolo=Benvenuto\x00DownloadLink=http://evil.example/a.exe\n"
                    "Testo1=Riga uno\rDownloadLink=http://evil.example/b.exe\r\n"
                    "Sottotitolo=a\r\r\x0b\tb\x1f\n"
                    "Link=\rhttp://www.example.it/\r\n"
                    "DownloadLink=https://download.example.it/setup.exe\n")
        self.with_settings(settings)
        reply = self.post(PROGRAM_BODY)
        self.assertEqual(reply.status, 200, reply.body)
        lines = section_lines(reply.body)
        self.assertEqual(lines, [
            "[SETUP_DEPLOY_A]",
            "Titolo=Benvenuto DownloadLink=http://evil.example/a.exe",
            "Testo1=Riga uno DownloadLink=http://evil.example/b.exe",
            "Sottotitolo=a b",
            "Link=http://www.example.it/",
            "DownloadLink=https://download.example.it/setup.exe",
        ])
        self.assertEqual([line for line in lines if line.lower().startswith("downloadlink")],
                         ["DownloadLink=https://download.example.it/setup.exe"])

    def test_how_the_settings_file_is_read(self):
        cases = [
            ("CR LF lines and a byte-order mark", "\ufeff" + SETTINGS.replace("\n", "\r\n"), SECTION),
            ("the first section of the name and the first line of a key win",
             "[SETUP_DEPLOY_A]\nTitolo=primo\ntitolo=secondo\nBuildSetup=1\n"
             "[SETUP_DEPLOY_A]\nTitolo=terzo\nDataSetup=2\n",
             ["[SETUP_DEPLOY_A]", "Titolo=primo", "BuildSetup=1"]),
            ("section names without case, blanks around keys and values",
             "  ; commento\n[setup_deploy_a]\n  Titolo  =  Caffè e città  \n\n# altro commento\n\tTesto1\t=x\n",
             ["[setup_deploy_a]", "Titolo=Caffè e città", "Testo1=x"]),
            ("an empty section", "[SETUP_DEPLOY_A]\n[ALTRO]\nTitolo=x\n", ["[SETUP_DEPLOY_A]"]),
        ]
        for label, settings, lines in cases:
            with self.subTest(label):
                self.with_settings(settings)
                reply = self.post(PROGRAM_BODY)
                self.assertEqual(reply.status, 200, reply.body)
                self.assertEqual(section_lines(reply.body), lines)

    def test_a_destination_the_settings_lack_is_stored_and_answered_404(self):
        before = last_rowid(self.database)
        body = PROGRAM_BODY.replace(ALIAS, b"_destination_alias=SETUP_DEPLOY_B")
        reply = self.post(body)
        self.assertEqual(reply.status, 404, reply.body)
        self.assertNotIn(b"[", reply.body)
        rows = stored_rows(self.database, before)
        self.assertEqual(len(rows), 1)
        self.assertIn(["_destination_alias", "SETUP_DEPLOY_B"], rows[0][3])

    def test_broken_settings_answer_500_after_storing_the_post(self):
        cases = [
            ("a value holding </BODY>", "[SETUP_DEPLOY_A]\nTitolo=a</body>b\n"),
            ("a value over 8192 characters", "[SETUP_DEPLOY_A]\nTitolo=" + "è" * 8193 + "\n"),
            ("a line without =", "[SETUP_DEPLOY_A]\nTitolo\n"),
            ("a key with a blank", "[SETUP_DEPLOY_A]\nTitolo x=1\n"),
            ("a malformed header", "[SETUP_DEPLOY_A\nTitolo=x\n"),
            ("not UTF-8", "[SETUP_DEPLOY_A]\nTitolo=Caffè\n".encode("cp1252")),
            ("no settings file", None),
        ]
        for label, settings in cases:
            with self.subTest(label):
                if settings is None:
                    os.remove(self.settings)
                    self.addCleanup(self.write_settings, SETTINGS)
                else:
                    self.with_settings(settings)
                before = last_rowid(self.database)
                reply = self.post(PROGRAM_BODY)
                self.assertEqual(reply.status, 500, reply.body)
                self.assertNotIn(self.work.encode(), reply.body, "no paths in the reply")
                self.assertEqual(len(stored_rows(self.database, before)), 1)
        # A value of exactly 8192 characters is sent.
        self.with_settings("[SETUP_DEPLOY_A]\nTitolo=" + "è" * 8192 + "\n")
        self.assertEqual(section_lines(self.post(PROGRAM_BODY).body), ["[SETUP_DEPLOY_A]", "Titolo=" + "è" * 8192])


class ServerOfItsOwnTest(unittest.TestCase):
    """Setups that need a PHP server of their own."""

    def test_defaults_and_the_shipped_settings(self):
        # The page and settings file as shipped, in a server folder of their
        # own, run without any environment: the database goes to
        # data/landing.sqlite beside php/, the settings come from settings.ini.
        work = tempfile.mkdtemp(prefix="landing-defaults-")
        self.addCleanup(shutil.rmtree, work, True)
        folder = os.path.join(work, "server")
        os.makedirs(os.path.join(folder, "php"))
        shutil.copy(os.path.join(SERVER, "php", "landing.php"), os.path.join(folder, "php"))
        shutil.copy(os.path.join(SERVER, "settings.ini"), folder)
        env = {k: v for k, v in os.environ.items() if k not in ("LANDING_DB", "LANDING_SETTINGS")}
        server = PhpServer(folder, env, os.path.join(work, "php.log"))
        self.addCleanup(server.stop)

        reply = server.exchange("POST", PROGRAM_BODY, PROGRAM_HEADERS)
        self.assertEqual(reply.status, 200, reply.body)
        lines = section_lines(reply.body)
        self.assertEqual(lines[0], "[SETUP_DEPLOY_A]")
        self.assertEqual([line.split("=", 1)[0] for line in lines[1:]], PROGRAM_KEYS)
        values = dict(line.split("=", 1) for line in lines[1:])
        for key in ("Titolo", "Sottotitolo", "Testo1", "ImgSmall1_link", "DownloadLink", "BuildSetup"):
            self.assertNotEqual(values[key], "", key)
        rows = stored_rows(os.path.join(folder, "data", "landing.sqlite"))
        self.assertEqual([row[3] for row in rows], [[list(pair) for pair in PROGRAM_FIELDS]])

    def test_a_post_that_cannot_be_stored_gets_no_settings(self):
        work = tempfile.mkdtemp(prefix="landing-unwritable-")
        self.addCleanup(shutil.rmtree, work, True)
        blocker = os.path.join(work, "blocker")
        with open(blocker, "w") as f:
            f.write("a file where the database's folder should be")
        settings = os.path.join(work, "settings.ini")
        with open(settings, "w", encoding="utf-8") as f:
            f.write(SETTINGS)
        log = os.path.join(work, "php.log")
        env = dict(os.environ, LANDING_DB=os.path.join(blocker, "landing.sqlite"), LANDING_SETTINGS=settings)
        server = PhpServer(SERVER, env, log)
        self.addCleanup(server.stop)

        reply = server.exchange("POST", PROGRAM_BODY, PROGRAM_HEADERS)
        self.assertEqual(reply.status, 500, reply.body)
        self.assertNotIn(b"SETUP_DEPLOY_A]", reply.body)
        self.assertNotIn(work.encode(), reply.body, "no paths in the reply")
        server.stop()
        with open(log, encoding="utf-8", errors="replace") as f:
            self.assertIn("cannot create the folder", f.read(), "the reason goes to the server's log")


if __name__ == "__main__":
    unittest.main(verbosity=2)
