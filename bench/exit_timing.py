#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""How long Exit takes with many pages open: from the Exit request (SIGTERM, which takes the
Exit road) to the window being unmapped, and to the end of the process.

Run under a virtual display, with the program to measure:
    xvfb-run -a python3 bench/exit_timing.py build/nuvbrowser [pages] [rounds]
Each round starts the browser in a fresh home on `pages` loopback pages, waits until the
session file names them all, asks it to exit and prints the two times. Not a test: the figures
go to bench/RESULTS.md by hand.
"""
import http.server
import os
import signal
import subprocess
import sys
import tempfile
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        n = self.path.strip("/").split(".")[0]
        body = ("<html><head><title>Page %s</title></head><body><h1>Page %s</h1><p>%s</p>"
                "</body></html>" % (n, n, "Some text of the page. " * 2000)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def window_ids(pid):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout
    return [w for w in out.split() if w]


def viewable(wid):
    out = subprocess.run(["xwininfo", "-id", wid], capture_output=True, text=True)
    return out.returncode == 0 and "IsViewable" in out.stdout


def session_pages(path):
    try:
        with open(path, encoding="utf-8") as f:
            return sum(1 for line in f if line.startswith("pane "))
    except OSError:
        return 0


def one_round(program, port, pages):
    home = tempfile.mkdtemp(prefix="nuv-exit-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache",
               XDG_RUNTIME_DIR=home + "/run", QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
    os.makedirs(home + "/run", mode=0o700)
    urls = ["http://127.0.0.1:%d/%d.html" % (port, i) for i in range(1, pages + 1)]
    browser = subprocess.Popen([program, urls[0]], env=env, stderr=subprocess.DEVNULL)
    session = home + "/data/nuvBrowser/session"
    deadline = time.time() + 60
    while session_pages(session) < 1 and time.time() < deadline:
        time.sleep(0.1)
    for url in urls[1:]:
        subprocess.run([program, url], env=env, stderr=subprocess.DEVNULL, timeout=30)
    while session_pages(session) < pages and time.time() < deadline:
        time.sleep(0.1)
    time.sleep(3)  # the pages settle
    wids = [w for w in window_ids(browser.pid) if viewable(w)]
    if session_pages(session) < pages or not wids:
        browser.kill()
        raise SystemExit("the browser did not show %d pages" % pages)
    t0 = time.monotonic()
    browser.send_signal(signal.SIGTERM)
    hidden = None
    while browser.poll() is None:
        if hidden is None and not any(viewable(w) for w in wids):
            hidden = time.monotonic() - t0
        time.sleep(0.005)
    ended = time.monotonic() - t0
    if hidden is None:
        hidden = ended
    return hidden, ended, browser.returncode


def main():
    program = os.path.abspath(sys.argv[1])
    pages = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    for i in range(rounds):
        hidden, ended, status = one_round(program, server.server_address[1], pages)
        print("round %d: %d pages, window gone after %.3f s, program ended after %.3f s "
              "(status %d)" % (i + 1, pages, hidden, ended, status), flush=True)
    server.shutdown()


if __name__ == "__main__":
    main()
