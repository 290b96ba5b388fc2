#!/usr/bin/env python3
"""Start-up and memory of nuvBrowser against the floor (bench_floor), side by side in one run.

Start-up: the time from spawning a program with an address to the arrival of that page's
first sub-resource request at a loopback server, each start with a fresh empty HOME,
interleaved A B A B after a warm-up round. Memory: PSS of the whole process tree (from
/proc/PID/smaps_rollup) 2 s after 1 page and after 10 pages. Needs an X display (the
Makefile's `bench` target runs it under xvfb-run).

Hand-off: a second start with an address while the browser runs, through the launcher
(nuvbrowser), against the browser program started directly (nuvbrowser-bin) and Falkon's where
it is installed: the time until the second start returns and until the page's own request
arrives.

Sleeping panes: 10 pages of which 9 were discarded against 1 page, whole tree.

Usage: run_bench.py BUILD_DIR [--rounds N] [--memory-rounds N]
                    [--only startup|favorites|memory|handoff|sleep]
"""
import argparse
import http.server
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

START_TIMEOUT = 90.0


class Server:
    """A loopback HTTP server: /p/TOKEN.html is a page whose stylesheet /s/TOKEN.css is its
    first sub-resource; the arrival time of that request is kept per token."""

    def __init__(self):
        self.arrivals = {}
        self.cond = threading.Condition()
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                now = time.monotonic()
                path = self.path.split('?')[0]
                if path.startswith('/s/'):
                    with outer.cond:
                        outer.arrivals.setdefault(path[3:].rsplit('.', 1)[0], now)
                        outer.cond.notify_all()
                    body, kind = b'body { color: #222; }', 'text/css'
                elif path.startswith('/p/'):
                    token = path[3:].rsplit('.', 1)[0]
                    with outer.cond:
                        outer.arrivals.setdefault('page:' + token, now)
                        outer.cond.notify_all()
                    body = ('<!DOCTYPE html><html><head><title>Page %s</title>'
                            '<link rel="stylesheet" href="/s/%s.css"></head><body><h1>Page %s</h1>'
                            '<p>%s</p></body></html>' % (token, token, token, 'Text. ' * 200)
                            ).encode()
                    kind = 'text/html'
                else:
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header('Content-Type', kind)
                self.send_header('Content-Length', str(len(body)))
                self.send_header('Cache-Control', 'no-store')
                self.end_headers()
                self.wfile.write(body)

        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, token):
        return 'http://127.0.0.1:%d/p/%s.html' % (self.port, token)

    def wait(self, token, timeout):
        deadline = time.monotonic() + timeout
        with self.cond:
            while token not in self.arrivals:
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.cond.wait(left)
            return self.arrivals[token]

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Home:
    """A fresh HOME with its XDG folders; favorites (a template folder) are hard-linked in."""

    def __init__(self, favorites=None, registry=None):
        self.root = tempfile.mkdtemp(prefix='nuvbench-')
        self.env = dict(os.environ)
        for var, sub in (('HOME', ''), ('XDG_CONFIG_HOME', '.config'),
                         ('XDG_DATA_HOME', '.local/share'), ('XDG_CACHE_HOME', '.cache'),
                         ('XDG_RUNTIME_DIR', 'run')):
            path = os.path.join(self.root, sub)
            os.makedirs(path, mode=0o700, exist_ok=True)
            self.env[var] = path
        self.env.setdefault('QTWEBENGINE_CHROMIUM_FLAGS', '--disable-gpu')
        if os.geteuid() == 0:
            self.env['QTWEBENGINE_DISABLE_SANDBOX'] = '1'
        if registry:
            os.makedirs(os.path.join(self.root, '.config/nuvBrowser'), exist_ok=True)
            with open(os.path.join(self.root, '.config/nuvBrowser/registry.reg'), 'w') as out:
                out.write(registry)
        if favorites:
            shutil.copytree(favorites,
                            os.path.join(self.root, '.local/share/nuvBrowser/Favorites'),
                            copy_function=os.link)

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


def make_favorites(root, folders=100, per_folder=100):
    for f in range(folders):
        folder = os.path.join(root, 'Folder %03d' % f)
        os.makedirs(folder)
        for i in range(per_folder):
            with open(os.path.join(folder, 'Site %d.url' % i), 'w') as out:
                out.write('[InternetShortcut]\r\nURL=https://example.org/%d/page-%d.html\r\n'
                          % (f, i))


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            pass
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()


def spawn(cmd, home, stdin=None):
    return subprocess.Popen(cmd, env=home.env, stdin=stdin, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def start_once(program, server, token, favorites=None):
    """Seconds from spawn to the first sub-resource request, or None on a time-out."""
    home = Home(favorites)
    try:
        t0 = time.monotonic()
        proc = spawn(program + [server.url(token)], home)
        arrived = server.wait(token, START_TIMEOUT)
        stop(proc)
        return None if arrived is None else arrived - t0
    finally:
        home.remove()


def summary(name, values):
    return '%-28s median %7.0f ms   min %7.0f   max %7.0f   (n=%d)' % (
        name, statistics.median(values) * 1e3, min(values) * 1e3, max(values) * 1e3,
        len(values))


def compare(title, a_name, a_cmd, a_fav, b_name, b_cmd, b_fav, server, rounds, tag):
    print('\n%s: spawn -> first sub-resource request, 1 warm-up + %d rounds, interleaved'
          % (title, rounds))
    a_times, b_times, ratios = [], [], []
    for r in range(rounds + 1):
        ta = start_once(a_cmd, server, '%s-a%d' % (tag, r), a_fav)
        tb = start_once(b_cmd, server, '%s-b%d' % (tag, r), b_fav)
        if r == 0 or ta is None or tb is None:
            if ta is None or tb is None:
                print('  round %d: time-out (%s %s)' % (r, ta, tb))
            continue
        a_times.append(ta)
        b_times.append(tb)
        ratios.append(tb / ta)
        print('  round %d: %s %6.0f ms   %s %6.0f ms   ratio %.2f'
              % (r, a_name, ta * 1e3, b_name, tb * 1e3, tb / ta), flush=True)
    if not ratios:
        return
    print('  ' + summary(a_name, a_times))
    print('  ' + summary(b_name, b_times))
    print('  paired ratio %s / %s: median %.2f   min %.2f   max %.2f   (ratio of medians %.2f)'
          % (b_name, a_name, statistics.median(ratios), min(ratios), max(ratios),
             statistics.median(b_times) / statistics.median(a_times)), flush=True)


def descendants(pid):
    children = {}
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open('/proc/%s/stat' % entry) as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rfind(')') + 2:].split()[1])
        children.setdefault(ppid, []).append(int(entry))
    tree, todo = [], [pid]
    while todo:
        p = todo.pop()
        tree.append(p)
        todo.extend(children.get(p, []))
    return tree


def pss_kib(pid):
    try:
        with open('/proc/%d/smaps_rollup' % pid) as f:
            for line in f:
                if line.startswith('Pss:'):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def memory_once(kind, program, server, tag, pages=10, registry=None, settle=2):
    """(tree PSS, own PSS) in KiB after 1 page and after `pages` pages (`settle` s after the
    last one)."""
    home = Home(registry=registry)
    proc = None
    try:
        stdin = subprocess.PIPE if kind == 'floor' else None
        proc = spawn(program + [server.url(tag + '-0')], home, stdin)
        if server.wait(tag + '-0', START_TIMEOUT) is None:
            return None
        time.sleep(2)
        one = (sum(pss_kib(p) for p in descendants(proc.pid)), pss_kib(proc.pid))
        for n in range(1, pages):
            token = '%s-%d' % (tag, n)
            if kind == 'floor':
                proc.stdin.write((server.url(token) + '\n').encode())
                proc.stdin.flush()
            else:
                subprocess.run(program + [server.url(token)], env=home.env, timeout=60,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if server.wait(token, START_TIMEOUT) is None:
                return None
        time.sleep(settle)
        ten = (sum(pss_kib(p) for p in descendants(proc.pid)), pss_kib(proc.pid))
        return one, ten
    finally:
        if proc is not None:
            if proc.stdin:
                proc.stdin.close()
            stop(proc)
        home.remove()


def memory(programs, server, rounds):
    print('\nMemory: PSS 2 s after 1 page and after 10 pages (hand-offs for nuvBrowser, '
          'tabs for the floor); median of %d rounds, MiB' % rounds)
    print('  %-12s %10s %10s %12s %12s %16s' % ('program', 'tree 1', 'tree 10', 'own 1',
                                                  'own 10', 'own per pane'))
    results = {name: [] for name, _, _ in programs}
    for r in range(rounds):
        for name, kind, cmd in programs:
            m = memory_once(kind, cmd, server, 'mem-%s-%d' % (name, r))
            if m is not None:
                results[name].append(m)
    for name, _, _ in programs:
        rs = results[name]
        if not rs:
            print('  %-12s time-out' % name)
            continue
        med = lambda f: statistics.median(f(x) for x in rs) / 1024.0
        t1, t10 = med(lambda x: x[0][0]), med(lambda x: x[1][0])
        o1, o10 = med(lambda x: x[0][1]), med(lambda x: x[1][1])
        print('  %-12s %10.0f %10.0f %12.0f %12.0f %16.1f'
              % (name, t1, t10, o1, o10, (o10 - o1) / 9.0), flush=True)


def handoff_once(program, home, server, token):
    """(seconds until the second start returns, seconds until the page's own request
    arrives), or None on a time-out or a failed second start."""
    t0 = time.monotonic()
    try:
        done = subprocess.run(program + [server.url(token)], env=home.env, timeout=60,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return None
    returned = time.monotonic() - t0
    arrived = server.wait('page:' + token, START_TIMEOUT)
    if done.returncode != 0 or arrived is None:
        return None
    return returned, arrived - t0


def handoff(programs, server, rounds):
    """A second start hands an address to a running browser (one page open, 5 s settled)."""
    print('\nHand-off: a second start with an address while the browser runs; the second '
          'start returns / the page request arrives; 1 warm-up + %d rounds, interleaved'
          % rounds)
    running = []
    bus = None
    if len(programs) > 1 and not os.environ.get('DBUS_SESSION_BUS_ADDRESS') and \
            shutil.which('dbus-daemon'):
        # Falkon finds its running instance over the session bus only.
        bus = subprocess.Popen(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    bus_address = bus.stdout.readline().decode().strip() if bus else None
    try:
        for name, cmd in programs:
            home = Home()
            if bus_address:
                home.env['DBUS_SESSION_BUS_ADDRESS'] = bus_address
            proc = spawn(cmd + [server.url('ho-%s-first' % name)], home)
            running.append((name, cmd, home, proc))
            if server.wait('ho-%s-first' % name, START_TIMEOUT) is None:
                print('  %s: the first start timed out' % name)
                return
        time.sleep(5)
        results = {name: [] for name, _ in programs}
        for r in range(rounds + 1):
            line = []
            for name, cmd, home, _ in running:
                m = handoff_once(cmd, home, server, 'ho-%s-%d' % (name, r))
                if m is None:
                    line.append('%s time-out' % name)
                    continue
                line.append('%s %4.0f / %4.0f ms' % (name, m[0] * 1e3, m[1] * 1e3))
                if r > 0:
                    results[name].append(m)
            print('  round %d: %s' % (r, '   '.join(line)), flush=True)
            time.sleep(1)  # the new page settles before the next start
        for name, _ in programs:
            rs = results[name]
            if rs:
                print('  %-12s returns median %4.0f ms (%4.0f-%4.0f), request arrives median '
                      '%4.0f ms (%4.0f-%4.0f), n=%d'
                      % (name, statistics.median(x[0] for x in rs) * 1e3,
                         min(x[0] for x in rs) * 1e3, max(x[0] for x in rs) * 1e3,
                         statistics.median(x[1] for x in rs) * 1e3,
                         min(x[1] for x in rs) * 1e3, max(x[1] for x in rs) * 1e3, len(rs)))
        base = results[programs[0][0]]
        for name, _ in programs[1:]:
            other = results[name]
            n = min(len(base), len(other))
            if n:
                ratios = [base[i][1] / other[i][1] for i in range(n)]
                print('  paired ratio of the request times %s / %s: median %.2f (%.2f-%.2f)'
                      % (programs[0][0], name, statistics.median(ratios), min(ratios),
                         max(ratios)), flush=True)
    finally:
        for _, _, home, proc in running:
            stop(proc)
            home.remove()
        if bus:
            stop(bus)
# Pages behind the others freeze after 1 s and are discarded after 2 s; the workspace looks at
# them every 15 s, so two of its rounds have passed 35 s after the last page.
SLEEP_REGISTRY = ('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n'
                  '"RunFreezeHidden"=dword:00000001\n"RunDiscardHidden"=dword:00000002\n')
SLEEP_SETTLE = 35


def sleeping(program, server, rounds):
    print('\nSleeping panes: whole-tree PSS of 1 page, and of 10 pages %d s after the last, '
          'awake (defaults) or with 9 of them discarded; interleaved, %d rounds, MiB'
          % (SLEEP_SETTLE, rounds))
    awake, slept = [], []
    for r in range(rounds):
        a = memory_once('nuv', program, server, 'awake-%d' % r, settle=SLEEP_SETTLE)
        s = memory_once('nuv', program, server, 'slept-%d' % r, registry=SLEEP_REGISTRY,
                        settle=SLEEP_SETTLE)
        if a is None or s is None:
            print('  round %d: time-out' % r)
            continue
        awake.append(a)
        slept.append(s)
        print('  round %d: 1 page %5.0f   10 awake %5.0f   1 page %5.0f   10, 9 slept %5.0f'
              '   slept / 1 page %.2f' % (r, a[0][0] / 1024.0, a[1][0] / 1024.0,
                                          s[0][0] / 1024.0, s[1][0] / 1024.0,
                                          s[1][0] / s[0][0]), flush=True)
    if not slept:
        return
    ratios = [s[1][0] / s[0][0] for s in slept]
    med = lambda rs, f: statistics.median(f(x) for x in rs) / 1024.0
    print('  median: 1 page %.0f   10 awake %.0f   10 with 9 slept %.0f   ratio 10 slept / '
          '1 page %.2f (min %.2f max %.2f)'
          % (med(slept, lambda x: x[0][0]), med(awake, lambda x: x[1][0]),
             med(slept, lambda x: x[1][0]), statistics.median(ratios), min(ratios),
             max(ratios)), flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('build')
    parser.add_argument('--rounds', type=int, default=9)
    parser.add_argument('--memory-rounds', type=int, default=3)
    parser.add_argument('--only', choices=['startup', 'favorites', 'memory', 'handoff', 'sleep'])
    args = parser.parse_args()
    nuv = [os.path.join(args.build, 'nuvbrowser')]
    floor = [os.path.join(args.build, 'bench', 'bench_floor')]
    with open('/proc/loadavg') as f:
        print('load average at the start: ' + ' '.join(f.read().split()[:3]))
    server = Server()
    favorites = tempfile.mkdtemp(prefix='nuvbench-favorites-')
    try:
        if args.only in (None, 'startup'):
            compare('First page', 'floor', floor, None, 'nuvBrowser', nuv, None, server,
                    args.rounds, 'start')
        if args.only in (None, 'favorites'):
            make_favorites(favorites)
            compare('Favorites: 10,000 shortcuts in 100 folders against none', 'none', nuv,
                    None, '10k', nuv, favorites, server, args.rounds, 'fav')
        if args.only in (None, 'handoff'):
            # Falkon only where it is installed: the bench's reference, never a dependency.
            falkon = shutil.which('falkon')
            # The launcher users start against the browser program started directly (the
            # hand-off as it was before the launcher: the whole toolkit and engine loaded).
            handoff([('nuvBrowser', nuv),
                     ('nuvbrowser-bin', [os.path.join(args.build, 'nuvbrowser-bin')])] +
                    ([('Falkon', [falkon])] if falkon else []), server, args.rounds)
        if args.only in (None, 'memory'):
            memory([('floor', 'floor', floor), ('nuvBrowser', 'nuv', nuv)], server,
                   args.memory_rounds)
        if args.only in (None, 'sleep'):
            sleeping(nuv, server, args.memory_rounds)
    finally:
        server.stop()
        shutil.rmtree(favorites, ignore_errors=True)
    with open('/proc/loadavg') as f:
        print('\nload average at the end: ' + ' '.join(f.read().split()[:3]))


if __name__ == '__main__':
    sys.exit(main())
