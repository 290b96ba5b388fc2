#!/usr/bin/env python3
"""Soak run: the real browser under a virtual X display, driven for a quarter of an hour.

A loopback site whose pages hop on to other pages by themselves (thousands of navigations),
some of them slow, stalled, failing, huge or redirecting in loops; render processes killed at
random; hand-offs from second starts in bursts of 10 at once (hundreds of panes opened, closed
by their pages or by the Close key); the Favorites folder changed under the browser; the real
Internet Options applet writing registry.reg meanwhile; the session file read back at random
moments. Checks: the browser never ends and its interface answers a ping on the hand-off
socket within 1 s throughout; every hand-off is answered and its page asked for exactly once;
every session file read back is whole; the registry is intact; the whole process tree's PSS
after the soak (one pane left) is within 10% of the same after the warm-up.

Usage (under xvfb-run; `make soak` does it): soak.py BUILD_DIR [--minutes M] [--seed S]
Exit 0 when every check passed. Loopback only.
"""
import argparse
import http.server
import os
import random
import socket
import struct
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import Home, descendants, pss_kib, stop  # noqa: E402

PING_LIMIT = 1.0  # seconds the interface may take to answer
HAND_OFF_BURST = 10


class Site:
    """The loopback site. /h/TOKEN is a handed-over page, /c/ID a page of a chain: each chain
    page hops on (location.replace, so the pane's history stays one page long and the page
    may close its pane) after a short while, and the last one closes its pane. Some hops go
    to pages that are slow, stall halfway, fail, are huge, or redirect in a loop."""

    def __init__(self, rng):
        self.rng = rng
        self.lock = threading.Lock()
        self.hand_offs = {}   # token -> number of requests
        self.navigations = 0  # main-frame pages served
        self.kinds = {}
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = 'HTTP/1.1'

            def log_message(self, *args):
                pass

            def do_GET(self):
                try:
                    outer.serve(self)
                except (BrokenPipeError, ConnectionResetError, socket.timeout):
                    pass

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def handle_error(self, request, client_address):
                pass  # a connection the soak cut on purpose, or the browser gave up

        self.httpd = Server(('127.0.0.1', 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return 'http://127.0.0.1:%d%s' % (self.port, path)

    def count(self, kind):
        with self.lock:
            self.kinds[kind] = self.kinds.get(kind, 0) + 1
            if kind in ('hand-off', 'chain', 'slow', 'stall', 'fail', 'huge', 'loop-end'):
                self.navigations += 1

    def next_hop(self, hops_left):
        if hops_left <= 0:
            return None
        r = self.rng.random()
        kind = ('c' if r < 0.70 else 'slow' if r < 0.78 else 'stall' if r < 0.83 else
                'fail' if r < 0.89 else 'huge' if r < 0.92 else 'reset' if r < 0.95 else 'loop')
        return '/%s/%d-%d' % (kind, hops_left - 1, self.rng.randrange(1 << 30))

    def chain_page(self, hops_left, title, extra=''):
        nxt = self.next_hop(hops_left)
        delay = self.rng.randint(120, 400)
        if nxt is None:
            act = 'window.close();'
        else:
            act = 'location.replace(%r);' % nxt
        sub = ''
        if self.rng.random() < 0.2:
            sub = '<img src="/slowimg/%d.gif" width=1 height=1>' % self.rng.randrange(1 << 30)
        return ('<!DOCTYPE html><html><head><title>%s</title>'
                '<script>setTimeout(function(){%s}, %d);</script></head>'
                '<body><h1>%s</h1>%s%s<p>%s</p>' % (title, act, delay, title, sub, extra,
                                                    'Soak text. ' * 40)).encode()

    def send(self, h, code, body, kind='text/html', extra_headers=()):
        h.send_response(code)
        h.send_header('Content-Type', kind)
        h.send_header('Content-Length', str(len(body)))
        h.send_header('Cache-Control', 'no-store')
        for name, value in extra_headers:
            h.send_header(name, value)
        h.end_headers()
        h.wfile.write(body)

    def serve(self, h):
        parts = h.path.split('?')[0].split('/')
        kind = parts[1] if len(parts) > 1 else ''
        arg = parts[2] if len(parts) > 2 else ''
        hops = int(arg.split('-')[0]) if arg.split('-')[0].isdigit() else 0
        if kind == 'h':
            with self.lock:
                self.hand_offs[arg] = self.hand_offs.get(arg, 0) + 1
            self.count('hand-off')
            self.send(h, 200, self.chain_page(self.rng.randint(3, 12), 'Hand-off ' + arg))
        elif kind == 'anchor':
            self.count('anchor')
            self.send(h, 200, b'<!DOCTYPE html><html><head><title>Anchor</title></head>'
                              b'<body><h1>Anchor</h1><p>Stays open.</p></body></html>')
        elif kind == 'c':
            self.count('chain')
            self.send(h, 200, self.chain_page(hops, 'Chain ' + arg))
        elif kind == 'slow':
            self.count('slow')
            time.sleep(self.rng.uniform(1.0, 3.0))
            self.send(h, 200, self.chain_page(hops, 'Slow ' + arg))
        elif kind == 'fail':
            self.count('fail')
            self.send(h, 500, self.chain_page(hops, 'Failed ' + arg))
        elif kind == 'huge':
            self.count('huge')
            body = self.chain_page(hops, 'Huge ' + arg, '<pre>' + 'x' * 100 + '\n')
            filler = (('<p>' + 'huge ' * 200 + '</p>\n') * 8000).encode()  # about 8 MB
            self.send(h, 200, body + filler)
        elif kind == 'stall':
            # Headers, the first part (whose script hops on), then nothing for a long time.
            self.count('stall')
            head = self.chain_page(hops, 'Stalled ' + arg)
            h.send_response(200)
            h.send_header('Content-Type', 'text/html')
            h.send_header('Content-Length', str(len(head) + 100000))
            h.end_headers()
            h.wfile.write(head)
            h.wfile.flush()
            time.sleep(20)
            h.close_connection = True
        elif kind == 'reset':
            # The connection ends without an answer: the pane shows the engine's error page.
            self.count('reset')
            h.close_connection = True
            h.connection.shutdown(socket.SHUT_RDWR)
        elif kind == 'loop':
            self.count('loop')
            self.send(h, 302, b'', extra_headers=[('Location', '/loop/%s' % arg[::-1])])
        elif kind == 'slowimg':
            self.count('image')
            time.sleep(self.rng.uniform(0.5, 4.0))
            self.send(h, 200, bytes.fromhex('47494638396101000100800000ffffff00000021f904010000'
                                            '00002c00000000010001000002024401003b'), 'image/gif')
        else:
            self.send(h, 404, b'not here')


class Browser:
    def __init__(self, build, home, site):
        self.program = os.path.join(build, 'nuvbrowser')
        self.home = home
        self.site = site
        self.proc = subprocess.Popen([self.program, site.url('/anchor/0')], env=home.env,
                                     stdout=subprocess.DEVNULL, stderr=open(
                                         os.path.join(home.root, 'stderr.txt'), 'wb'),
                                     start_new_session=True)
        self.socket_path = os.path.join(home.env['XDG_RUNTIME_DIR'], 'nuvBrowser',
                                        'WCE_nuvBrowserClass')
        self.session_path = os.path.join(home.env['XDG_DATA_HOME'], 'nuvBrowser', 'session')

    def alive(self):
        return self.proc.poll() is None

    def ping(self):
        """Seconds until the browser answers a record it must refuse; None without answer."""
        t0 = time.monotonic()
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(10)
                s.connect(self.socket_path)
                s.sendall(struct.pack('<II', 1, 4) + 'x\0'.encode('utf-16-le'))
                if s.recv(1) != b'\0':
                    return None
        except OSError:
            return None
        return time.monotonic() - t0

    def hand_off(self, url):
        r = subprocess.run([self.program, url], env=self.home.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return r.returncode

    def renderers(self):
        """The render processes: forks of the engine's zygote (they keep its command line)."""
        def cmdline(pid):
            try:
                with open('/proc/%d/cmdline' % pid, 'rb') as f:
                    return f.read()
            except OSError:
                return b''

        def parent(pid):
            try:
                with open('/proc/%d/stat' % pid) as f:
                    stat = f.read()
                return int(stat[stat.rfind(')') + 2:].split()[1])
            except OSError:
                return 0

        out = []
        for pid in descendants(self.proc.pid):
            line = cmdline(pid)
            if b'--type=renderer' in line or (b'--type=zygote' in line and
                                              b'--type=zygote' in cmdline(parent(pid))):
                out.append(pid)
        return out

    def tree_pss_mib(self):
        return sum(pss_kib(p) for p in descendants(self.proc.pid)) / 1024.0

    def pss_by_kind(self):
        """PSS in MiB of each kind of process of the tree (browser, renderer, utility...)."""
        kinds = {}
        for pid in descendants(self.proc.pid):
            try:
                with open('/proc/%d/cmdline' % pid, 'rb') as f:
                    args = f.read().split(b'\0')
            except OSError:
                continue
            kind = 'browser'
            for arg in args:
                if arg.startswith(b'--type='):
                    kind = arg[7:].decode(errors='replace')
            kinds[kind] = kinds.get(kind, 0.0) + pss_kib(pid) / 1024.0
        return kinds

    def session(self):
        """(whole, number of panes); whole is None when there is no file."""
        try:
            with open(self.session_path, 'rb') as f:
                data = f.read()
        except FileNotFoundError:
            return None, 0
        lines = data.split(b'\n')
        if not data.endswith(b'\n') or not lines[0].startswith(b'nuvBrowser session '):
            return False, 0
        panes, active = 0, None
        for line in lines[1:-1]:
            word = line.split(b' ', 1)[0]
            if word == b'pane':
                panes += 1
            elif word == b'active':
                active = int(line.split(b' ', 1)[1])
            elif not word.isalpha():
                return False, panes
        return active is not None and 0 <= active < max(panes, 1), panes

    def keys(self, *keys):
        wins = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid',
                               str(self.proc.pid)], env=self.home.env, capture_output=True,
                              text=True).stdout.split()
        if not wins:
            return False
        subprocess.run(['xdotool', 'windowfocus', '--sync', wins[0]], env=self.home.env,
                       capture_output=True, timeout=10)
        for key in keys:
            subprocess.run(['xdotool', 'key', '--clearmodifiers', key], env=self.home.env,
                           capture_output=True, timeout=10)
            time.sleep(0.15)
        return True


class Soak:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.site = Site(random.Random(args.seed + 1))
        self.home = Home()
        self.failures = []
        self.max_ping = 0.0
        self.pings = 0
        self.hand_off_tokens = []
        self.bursts_running = 0
        self.burst_lock = threading.Lock()
        self.hand_off_failures = 0
        self.session_reads = 0
        self.applet_rounds = 0
        self.favorite_changes = 0
        self.kills = 0
        self.stop_event = threading.Event()
        self.browser = None

    def fail(self, text):
        print('FAIL: ' + text, flush=True)
        self.failures.append(text)

    # The pinger runs throughout in a thread of its own.
    def pinger(self):
        while not self.stop_event.is_set():
            t = self.browser.ping()
            self.pings += 1
            if t is None:
                if self.browser.alive():
                    self.fail('the browser gave no answer to a ping')
                else:
                    self.fail('the browser ended (status %s)' % self.browser.proc.returncode)
                    return
            else:
                if t > PING_LIMIT:
                    self.fail('the interface took %.2f s to answer' % t)
                self.max_ping = max(self.max_ping, t)
            self.stop_event.wait(0.25)

    def burst(self):
        with self.burst_lock:
            self.bursts_running += 1
        try:
            self.burst_once()
        finally:
            with self.burst_lock:
                self.bursts_running -= 1

    def unopened(self):
        """Hand-offs answered whose page the site has not seen yet."""
        with self.site.lock:
            return [t for t in self.hand_off_tokens if t not in self.site.hand_offs]

    def may_close_panes(self):
        """Panes are closed by keys only while no hand-off is on its way: a pane closed
        before its page was asked for would not count as opened."""
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            with self.burst_lock:
                running = self.bursts_running
            if running == 0 and not self.unopened():
                return True
            time.sleep(0.2)
        return False

    def burst_once(self):
        tokens = ['%d-%d' % (len(self.hand_off_tokens) + i, self.rng.randrange(1 << 30))
                  for i in range(HAND_OFF_BURST)]
        procs = [subprocess.Popen([self.browser.program, self.site.url('/h/' + t)],
                                  env=self.home.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL) for t in tokens]
        for t, p in zip(tokens, procs):
            try:
                status = p.wait(30)
            except subprocess.TimeoutExpired:
                p.kill()
                status = 'time-out'
            if status != 0:
                self.hand_off_failures += 1
                self.fail('hand-off %s ended with %s' % (t, status))
        self.hand_off_tokens += tokens

    def read_session(self):
        whole, panes = self.browser.session()
        if whole is None:
            return panes
        self.session_reads += 1
        if not whole:
            self.fail('a session file read back was not whole')
        return panes

    def change_favorites(self):
        root = os.path.join(self.home.env['XDG_DATA_HOME'], 'nuvBrowser', 'Favorites')
        os.makedirs(root, exist_ok=True)
        r = self.rng.random()
        n = self.rng.randrange(1000)
        entries = os.listdir(root)
        try:
            if r < 0.4 or not entries:
                with open(os.path.join(root, 'Site %d.url' % n), 'w') as f:
                    f.write('[InternetShortcut]\r\nURL=%s\r\n' % self.site.url('/c/1-%d' % n))
            elif r < 0.55:
                folder = os.path.join(root, 'Folder %d' % n)
                os.makedirs(folder, exist_ok=True)
                for i in range(5):
                    with open(os.path.join(folder, 'Page %d.url' % i), 'w') as f:
                        f.write('[InternetShortcut]\r\nURL=%s\r\n' % self.site.url('/c/0-%d' % i))
            elif r < 0.65:
                with open(os.path.join(root, 'Broken %d.url' % n), 'wb') as f:
                    f.write(os.urandom(self.rng.randrange(1, 600)))
            elif r < 0.8:
                victim = os.path.join(root, self.rng.choice(entries))
                os.rename(victim, os.path.join(root, 'Renamed %d%s' % (
                    n, '.url' if victim.endswith('.url') else '')))
            else:
                victim = os.path.join(root, self.rng.choice(entries))
                if os.path.isdir(victim):
                    for name in os.listdir(victim):
                        os.remove(os.path.join(victim, name))
                    os.rmdir(victim)
                else:
                    os.remove(victim)
            self.favorite_changes += 1
        except OSError:
            pass

    def run_applet(self):
        env = dict(self.home.env, QT_QPA_PLATFORM='offscreen')
        r = subprocess.run([os.path.join(self.args.build, 'bench', 'soak_applet'), '2',
                            self.args.build], env=env, capture_output=True, text=True,
                           timeout=120)
        self.applet_rounds += 2
        if r.returncode != 0:
            self.fail('the applet round failed: %s' % (r.stderr.strip() or r.returncode))

    def kill_renderer(self):
        pids = self.browser.renderers()
        if pids:
            try:
                os.kill(self.rng.choice(pids), 9)
                self.kills += 1
            except ProcessLookupError:
                pass

    def sweep(self, keep):
        """Closes panes with the keys until at most `keep` are left: Ctrl+3 chooses the
        second pane (the anchor stays first), Ctrl+Z closes it."""
        for _ in range(200):
            panes = self.read_session()
            if panes <= keep:
                return True
            if self.may_close_panes():
                self.browser.keys(*(['ctrl+3', 'ctrl+z'] * min(panes - keep, 5)))
            time.sleep(1.2)
        return False

    def quiet_pss(self, label):
        """PSS of the tree with the anchor alone, freshly loaded."""
        time.sleep(15)  # the chains end, their panes close
        if not self.sweep(1):
            self.fail('%s: the panes could not be closed down to one' % label)
        self.browser.keys('ctrl+2', 'shift+Escape')  # the anchor, loaded again
        time.sleep(10)
        samples = []
        for _ in range(5):
            samples.append(self.browser.tree_pss_mib())
            time.sleep(1)
        pss = sorted(samples)[len(samples) // 2]
        print('%s: tree PSS %.0f MiB (one pane), %d processes' % (
            label, pss, len(descendants(self.browser.proc.pid))), flush=True)
        print('  by kind: %s' % ', '.join('%s %.0f' % kv for kv in
                                          sorted(self.browser.pss_by_kind().items())),
              flush=True)
        return pss

    def activity(self, seconds, bursts=True):
        end = time.monotonic() + seconds
        next_burst = next_kill = next_fav = next_applet = next_sess = time.monotonic()
        last_report = time.monotonic()
        while time.monotonic() < end and self.browser.alive():
            now = time.monotonic()
            if bursts and now >= next_burst:
                threading.Thread(target=self.burst, daemon=True).start()
                next_burst = now + self.rng.uniform(4.0, 8.0)
            if now >= next_kill:
                self.kill_renderer()
                next_kill = now + self.rng.uniform(3.0, 7.0)
            if now >= next_fav:
                self.change_favorites()
                next_fav = now + self.rng.uniform(0.5, 2.0)
            if now >= next_applet:
                threading.Thread(target=self.run_applet, daemon=True).start()
                next_applet = now + self.rng.uniform(15.0, 30.0)
            if now >= next_sess:
                if self.read_session() > 25 and self.may_close_panes():
                    self.browser.keys(*['ctrl+3', 'ctrl+z'] * 5)
                next_sess = now + self.rng.uniform(0.3, 2.0)
            if now - last_report > 60:
                last_report = now
                print('  %4.0f s: %d navigations, %d hand-offs, %d renderers killed, '
                      'max ping %.0f ms' % (seconds - (end - now), self.site.navigations,
                                            len(self.hand_off_tokens), self.kills,
                                            self.max_ping * 1e3), flush=True)
            time.sleep(0.1)

    def run(self):
        a = self.args
        self.browser = Browser(a.build, self.home, self.site)
        deadline = time.monotonic() + 90
        while self.browser.ping() is None and time.monotonic() < deadline:
            time.sleep(0.5)
        if self.browser.ping() is None:
            self.fail('the browser did not start')
            return self.report(None, None)
        threading.Thread(target=self.pinger, daemon=True).start()
        print('warm-up %d s' % a.warmup, flush=True)
        self.activity(a.warmup)
        before = self.quiet_pss('after the warm-up')
        self.series = [before]
        soak_seconds = max(60, a.minutes * 60 - a.warmup - 80)
        print('soak %d s' % soak_seconds, flush=True)
        # Measured after each third as well: a leak grows with the work done, the engine's
        # caches fill and then stay.
        for third in (1, 2):
            self.activity(soak_seconds / 3)
            self.series.append(self.quiet_pss('after %d/3 of the soak' % third))
        self.activity(soak_seconds / 3)
        after = self.quiet_pss('after the soak')
        return self.report(before, after)

    def report(self, before, after):
        self.stop_event.set()
        time.sleep(0.5)
        alive = self.browser is not None and self.browser.alive()
        # Every hand-off that was answered had its page asked for exactly once.
        time.sleep(2)
        with self.site.lock:
            counts = dict(self.site.hand_offs)
        wrong = [t for t in self.hand_off_tokens if counts.get(t, 0) != 1]
        if wrong:
            self.fail('%d hand-offs were not opened exactly once (%s)' % (
                len(wrong), ', '.join('%s: %d' % (t, counts.get(t, 0)) for t in wrong[:5])))
        if self.browser is not None:
            stop(self.browser.proc)
        env = dict(self.home.env, QT_QPA_PLATFORM='offscreen')
        r = subprocess.run([os.path.join(self.args.build, 'bench', 'soak_applet'), '1',
                            self.args.build], env=env, capture_output=True, text=True,
                           timeout=120)
        if r.returncode != 0:
            self.fail('the registry is not intact at the end: %s' % r.stderr.strip())
        # A tree that shrank leaked nothing: only growth counts.
        if before and after and after > 1.10 * before:
            self.fail('tree PSS after the soak %.0f MiB, after the warm-up %.0f MiB' % (
                after, before))
        with open('/proc/loadavg') as f:
            load = f.read().split()[:3]
        print('\nSOAK summary (load before the end %s)' % ' '.join(load))
        print('  navigations served      %d' % self.site.navigations)
        print('  by kind                 %s' % ', '.join(
            '%s %d' % kv for kv in sorted(self.site.kinds.items())))
        print('  hand-offs               %d (%d failed, %d not opened once)' % (
            len(self.hand_off_tokens), self.hand_off_failures, len(wrong)))
        print('  render processes killed %d' % self.kills)
        print('  favorites changes       %d' % self.favorite_changes)
        print('  applet rounds           %d' % self.applet_rounds)
        print('  session files read      %d' % self.session_reads)
        print('  pings                   %d, slowest %.0f ms' % (self.pings,
                                                                 self.max_ping * 1e3))
        if before and after:
            print('  tree PSS over the soak  %s MiB' % ' -> '.join(
                '%.0f' % v for v in getattr(self, 'series', []) + [after]))
            print('  tree PSS, one pane      %.0f MiB after warm-up, %.0f MiB after soak '
                  '(%+.1f%%)' % (before, after, (after - before) * 100.0 / before))
        print('  browser alive at end    %s' % alive)
        if not alive:
            self.failures.append('the browser was not running at the end')
        print('RESULT: %s' % ('PASS' if not self.failures else
                              'FAIL (%d problems)' % len(self.failures)))
        if self.failures:
            print('  stderr of the browser: %s' % os.path.join(self.home.root, 'stderr.txt'))
        else:
            self.home.remove()
        return 0 if not self.failures else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('build')
    parser.add_argument('--minutes', type=float, default=14)
    parser.add_argument('--warmup', type=int, default=90)
    parser.add_argument('--seed', type=int, default=int(time.time()))
    args = parser.parse_args()
    print('soak: seed %d, %.0f minutes' % (args.seed, args.minutes), flush=True)
    sys.exit(Soak(args).run())


if __name__ == '__main__':
    main()
