"""Loopback HTTP server for the Windows tests.

Every route is chosen by the test through the path, and every request is
recorded (request line, headers in order, body) under the token its path
carries, so a test can fetch exactly what went over the wire from /log/<token>.
"""
import gzip
import http.server
import socket
import struct
import threading
import time
import urllib.parse

RECORDS = {}
RECORDS_LOCK = threading.Lock()

SETTINGS_PAGE = (
    "<html><head><title>Quarlo</title></head><BODY>\r\n"
    "[SETUP_DEPLOY_A]\r\n"
    "Titolo=Benvenuto\r\n"
    "</BODY></html>"
).encode("utf-8")


def _headers(count, size):
    return b"".join(b"X-Filler-%05d: %s\r\n" % (i, b"v" * size) for i in range(count))


# Replies with broken framing, exactly as they go on the wire.
RAW_REPLIES = {
    "chunked-good": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
    "chunked-bad-size": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nzz\r\nxx\r\n0\r\n\r\n",
    "chunked-cut": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n100\r\nonly a part",
    "header-2mb": b"HTTP/1.1 200 OK\r\nX-Big: " + b"a" * (2 * 1024 * 1024) + b"\r\nContent-Length: 5\r\n\r\nhello",
    "headers-80kb": b"HTTP/1.1 200 OK\r\n" + _headers(2000, 30) + b"Content-Length: 5\r\n\r\nhello",
    "headers-20kb": b"HTTP/1.1 200 OK\r\n" + _headers(500, 30) + b"Content-Length: 5\r\n\r\nhello",
    "no-length": b"HTTP/1.0 200 OK\r\n\r\nhello, until the connection closes",
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):  # keep the test output readable
        pass

    # --- helpers -----------------------------------------------------------
    def record(self, token, body):
        raw = self.raw_requestline.decode("latin-1").rstrip("\r\n") + "\r\n"
        for name, value in self.headers.items():
            raw += f"{name}: {value}\r\n"
        raw += "\r\n" + body.decode("latin-1")
        with RECORDS_LOCK:
            RECORDS.setdefault(token, []).append(raw)

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length > 0 else b""

    def reply(self, status, body=b"", headers=()):
        self.send_response(status)
        names = {name.lower() for name, _ in headers}
        for name, value in headers:
            self.send_header(name, value)
        if "content-length" not in names:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if body:
            self.wfile.write(body)

    def hard_reset(self):
        """Closes the connection with a TCP reset instead of a clean close."""
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.close_connection = True

    # --- routes --------------------------------------------------------------
    def do_GET(self):
        self.route()

    def do_POST(self):
        self.route()

    def route(self):
        url = urllib.parse.urlsplit(self.path)
        parts = url.path.strip("/").split("/")
        query = urllib.parse.parse_qs(url.query)
        body = self.read_body()
        kind = parts[0] if parts else ""

        if kind == "log":
            with RECORDS_LOCK:
                records = RECORDS.get(parts[1], [])
            self.reply(200, "\n=====\n".join(records).encode("latin-1"))
            return
        token = parts[-1] if len(parts) > 1 else "none"
        self.record(token, body)

        if kind == "record":  # /record/<token>: a settings page
            self.reply(200, SETTINGS_PAGE, [("Content-Type", "text/html; charset=utf-8")])
        elif kind == "redirect":  # /redirect/<code>/<remaining>/<token>
            code, remaining = int(parts[1]), int(parts[2])
            if remaining > 0:
                self.reply(code, b"moved", [("Location", f"/redirect/{code}/{remaining - 1}/{token}")])
            else:
                self.reply(200, f"<BODY>{self.command} {len(body)}</BODY>".encode())
        elif kind == "relative":  # /relative/<token>: a relative Location
            self.reply(302, b"", [("Location", f"../record/{token}")])
        elif kind == "cookie-set":  # sets a cookie on a redirect
            self.reply(302, b"", [("Set-Cookie", "qf=abc; Path=/"), ("Location", f"/cookie-check/{token}")])
        elif kind == "cookie-check":
            self.reply(200, ("<BODY>cookie=" + self.headers.get("Cookie", "none") + "</BODY>").encode())
        elif kind == "status":  # /status/<code>/<token>: a settings page with any status
            self.reply(int(parts[1]), SETTINGS_PAGE)
        elif kind == "bytes":  # /bytes/<token>?hex=..&enc=..: exactly these bytes
            payload = bytes.fromhex(query.get("hex", [""])[0])
            headers = [("Content-Encoding", query["enc"][0])] if "enc" in query else []
            self.reply(200, payload, headers)
        elif kind == "gzip":  # /gzip/<variant>/<token>
            variant = parts[1]
            packed = gzip.compress(SETTINGS_PAGE)
            encoding = "gzip"
            if variant == "truncated":
                packed = packed[:-9]
            elif variant == "corrupt":
                packed = packed[:20] + bytes([packed[20] ^ 0xFF]) + packed[21:]
            elif variant == "bomb":
                # A valid section amid 16 MB of empty lines: small packed,
                # far past the cap once inflated.
                lines = b"\r\n" * (4 << 20)
                packed = gzip.compress(b"<BODY>" + lines + b"[SETUP_DEPLOY_A]\r\nTitolo=Benvenuto\r\n" + lines +
                                       b"</BODY>")
            elif variant == "upper":
                encoding = "GZIP"
            self.reply(200, packed, [("Content-Encoding", encoding)])
        elif kind == "big":  # /big/<bytes>/<token>
            size = int(parts[1])
            self.send_response(200)
            self.send_header("Content-Length", str(size))
            self.end_headers()
            chunk = b"x" * 65536
            sent = 0
            try:
                while sent < size:
                    n = min(len(chunk), size - sent)
                    self.wfile.write(chunk[:n])
                    sent += n
            except OSError:
                pass
            self.close_connection = True
        elif kind == "blocks":  # /blocks/<total>/<block>/<token>: flushed blocks
            total, block = int(parts[1]), int(parts[2])
            self.send_response(200)
            self.send_header("Content-Length", str(total))
            self.end_headers()
            sent = 0
            while sent < total:
                n = min(block, total - sent)
                self.wfile.write(bytes((sent + i) & 0xFF for i in range(n)))
                self.wfile.flush()
                sent += n
                time.sleep(0.02)
        elif kind == "silent":  # accepts the request and never answers
            time.sleep(float(query.get("seconds", ["15"])[0]))
            self.close_connection = True
        elif kind == "silent-body":  # headers and 10 of 100 bytes, then silence
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.wfile.flush()
            time.sleep(15)
            self.close_connection = True
        elif kind == "short":  # announces 1000 bytes, sends 10 and closes
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.close_connection = True
        elif kind == "long":  # announces 10 bytes, sends 100
            self.send_response(200)
            self.send_header("Content-Length", "10")
            self.end_headers()
            self.wfile.write(b"A" * 100)
            self.close_connection = True
        elif kind == "reset":  # half a body, then a reset
            self.send_response(200)
            self.send_header("Content-Length", "200000")
            self.end_headers()
            self.wfile.write(b"R" * 100000)
            self.wfile.flush()
            time.sleep(0.2)
            self.hard_reset()
        elif kind == "raw":  # /raw/<variant>/<token>: replies written byte by byte
            self.close_connection = True
            self.wfile.write(RAW_REPLIES[parts[1]])
            self.wfile.flush()
        elif kind == "drip":  # /drip/<token>: 5 blocks, 1.5 s apart, inside the time-outs
            self.send_response(200)
            self.send_header("Content-Length", "5000")
            self.end_headers()
            for _ in range(5):
                self.wfile.write(b"d" * 1000)
                self.wfile.flush()
                time.sleep(1.5)
        else:
            self.reply(404, b"<html><body>not here</body></html>", [("Content-Type", "text/html")])


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def start(port=0):
    server = Server(("127.0.0.1", port), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server
