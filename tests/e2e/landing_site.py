"""A landing site for end-to-end runs of the program: the landing page, the
pictures and the installer, all configurable by the test, and a log of every
request in the order it arrived."""
import http.server
import socket
import struct
import sys
import threading
import time


class Site:
    def __init__(self):
        self.landing = b""           # body of the landing reply
        self.landing_delay = 0.0     # seconds before the landing reply
        self.landing_answer = None   # or a test's own way of answering it
        self.files = {}              # path -> (status, body, headers)
        self.log = []                # (method, path, body)
        self.lock = threading.Lock()

    def requests(self):
        with self.lock:
            return list(self.log)

    def clear_log(self):
        with self.lock:
            self.log.clear()


def settings_page(values, section="SETUP_DEPLOY_A"):
    lines = [f"[{section}]"] + [f"{k}={v}" for k, v in values.items()]
    return ("<html><head><title>Quarlo</title></head><BODY>\r\n" + "\r\n".join(lines) +
            "\r\n</BODY></html>").encode("utf-8")


def make_handler(site):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def head(self, status, headers):
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.end_headers()

        def answer(self, status, body, headers=()):
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def handle_any(self):
            length = int(self.headers.get("Content-Length", "0") or "0")
            body = self.rfile.read(length) if length else b""
            with site.lock:
                site.log.append((self.command, self.path, body))
            if self.path == "/php/landing.php" and site.landing_answer:
                site.landing_answer(self)
                return
            if self.path == "/php/landing.php":
                time.sleep(site.landing_delay)
                self.answer(200, site.landing, [("Content-Type", "text/html; charset=utf-8")])
                return
            entry = site.files.get(self.path)
            if entry is None:
                self.answer(404, b"<html><body>404</body></html>", [("Content-Type", "text/html")])
                return
            if callable(entry):
                entry(self)  # a test's own way of answering
                return
            status, payload, headers = entry
            self.answer(status, payload, headers)

        do_GET = handle_any
        do_POST = handle_any

    return Handler


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        # A client that goes away (the program giving up, or closing) is
        # part of the tests, not a fault of the site.
        if isinstance(sys.exc_info()[1], (ConnectionError, TimeoutError)):
            return
        super().handle_error(request, client_address)


def serve(site, port):
    server = Server(("127.0.0.1", port), make_handler(site))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# Ways of answering a request, for Site.files entries.

def in_blocks(body, block=64 * 1024, delay=0.0, length=True, chunked=False):
    """200 with the body in blocks: with its Content-Length, or with none
    (the end of the body is the end of the connection), or chunked."""
    def answer(handler):
        if chunked:
            headers = [("Transfer-Encoding", "chunked")]
        elif length:
            headers = [("Content-Length", str(len(body)))]
        else:
            headers = [("Connection", "close")]
        handler.head(200, headers)
        handler.close_connection = not length or chunked
        for i in range(0, len(body), block):
            piece = body[i:i + block]
            handler.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece) if chunked else piece)
            handler.wfile.flush()
            if delay:
                time.sleep(delay)
        if chunked:
            handler.wfile.write(b"0\r\n\r\n")
    return answer


def raw(data):
    """Writes these bytes as the whole reply, then closes."""
    def answer(handler):
        handler.close_connection = True
        handler.wfile.write(data)
        handler.wfile.flush()
    return answer


def reset_after(body, sent):
    """Announces the body, sends part of it, then resets the connection."""
    def answer(handler):
        handler.head(200, [("Content-Length", str(len(body)))])
        handler.wfile.write(body[:sent])
        handler.wfile.flush()
        time.sleep(0.2)
        handler.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        handler.close_connection = True
    return answer


def silent_after_headers(body, seconds):
    def answer(handler):
        handler.head(200, [("Content-Length", str(len(body)))])
        handler.wfile.flush()
        time.sleep(seconds)
        handler.close_connection = True
    return answer


def redirect_loop(handler):
    handler.head(302, [("Location", handler.path), ("Content-Length", "0")])


def cut_after(body, sent, silence=0.0):
    """Announces the whole body, sends the first bytes, stays silent for a
    while and then drops the connection."""
    def answer(handler):
        handler.head(200, [("Content-Length", str(len(body)))])
        handler.wfile.write(body[:sent])
        handler.wfile.flush()
        time.sleep(silence)
        handler.close_connection = True
        try:
            handler.connection.shutdown(2)
        except OSError:
            pass
    return answer
