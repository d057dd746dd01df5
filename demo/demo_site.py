"""The demo landing site: answers the program's landing post with a settings
section, and serves three banners and a demo installer, all on 127.0.0.1.

usage: demo_site.py <port> <folder with demo_installer.exe> <work folder>
"""
import http.server
import os
import subprocess
import sys

PORT = int(sys.argv[1])
INSTALLER = os.path.join(sys.argv[2], "demo_installer.exe")
WORK = sys.argv[3]

BANNERS = [
    ("banner1.png", "#0B3C5D", "#328CC1", "Novit\u00E0: fatture in un clic",
     "Crea, invia e conserva le fatture elettroniche"),
    ("banner2.png", "#1B4332", "#40916C", "Magazzino sempre in ordine",
     "Giacenze, ordini e inventario in tempo reale"),
    ("banner3.png", "#3C096C", "#9D4EDD", "Assistenza dedicata",
     "Un tecnico al tuo fianco dal primo giorno"),
]


def make_banner(name, start, end, title, line):
    """A 1600 x 350 banner made with ImageMagick, with the site's own words,
    so that it is plain to see the pictures came from the server."""
    path = os.path.join(WORK, name)
    if not os.path.exists(path):
        subprocess.run(["convert", "-size", "1600x350", f"gradient:{start}-{end}", "-rotate", "-90",
                        "-resize", "1600x350!", "-fill", "white", "-font", "DejaVu-Sans-Bold", "-pointsize", "84",
                        "-annotate", "+90+170", title, "-font", "DejaVu-Sans", "-pointsize", "46",
                        "-fill", "#E8F1F8", "-annotate", "+94+255", line,
                        "-fill", "#FFFFFF40", "-draw", "circle 1450,60 1600,210", path], check=True)
    with open(path, "rb") as f:
        return f.read()


PICTURES = {f"/demo/{name}": make_banner(name, *rest) for name, *rest in BANNERS}
with open(INSTALLER, "rb") as f:
    SETUP = f.read()
SIZE_MB = max(1, round(len(SETUP) / (1024 * 1024)))


def settings():
    site = f"http://127.0.0.1:{PORT}"
    lines = [
        "[SETUP_DEPLOY_A]",
        "Titolo=Quarlo Gestionale",
        "Sottotitolo=Versione dimostrativa",
        "Testo1=Il gestionale completo per la tua azienda",
        f"Link={site}/",
        f"ImgSmall1_link={site}/demo/banner1.png",
        f"ImgSmall2_link={site}/demo/banner2.png",
        f"ImgSmall3_link={site}/demo/banner3.png",
        f"DownloadLink={site}/download/setup.exe",
        "BuildSetup=2026",
        "DataSetup=11/12/2026",
        f"DimensioneSetup_MB={SIZE_MB}",
    ]
    return ("<html><head><title>Quarlo</title></head><body>\r\n" + "\r\n".join(lines) +
            "\r\n</body></html>").encode("utf-8")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        sys.stderr.write("demo site: " + fmt % args + "\n")

    def answer(self, status, body, kind):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        self.rfile.read(length)
        if self.path == "/php/landing.php":
            self.answer(200, settings(), "text/html; charset=utf-8")
        else:
            self.answer(404, b"<html><body>Non trovato</body></html>", "text/html")

    def do_GET(self):
        if self.path in PICTURES:
            self.answer(200, PICTURES[self.path], "image/png")
        elif self.path == "/download/setup.exe":
            self.answer(200, SETUP, "application/octet-stream")
        else:
            self.answer(404, b"<html><body>Non trovato</body></html>", "text/html")


if __name__ == "__main__":
    server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
    server.daemon_threads = True
    print(f"demo site: listening on http://127.0.0.1:{PORT}/php/landing.php", flush=True)
    server.serve_forever()
