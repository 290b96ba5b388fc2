#!/bin/sh
# Builds the Debian package, checks it with lintian, installs it with apt-get, makes it the
# default browser of a throw-away user home and opens an address and an Internet Shortcut
# file with xdg-open under a virtual display: both must reach the browser (the second one
# the browser that already runs). Then it removes the package again and checks that nothing
# of it is left. Run it as root (or with sudo rights) on Debian 12 from the repository:
#
#     desktop/check-package.sh            # make package first
#     desktop/check-package.sh --no-build # use the .deb already in build/
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
say() { printf '== %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*"; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
  say "make package"
  make -C "$repo" package >/dev/null
fi
deb=$(ls -1 "$repo"/build/nuvbrowser_*.deb | tail -n 1)
say "package: $(basename "$deb")"
dpkg-deb -f "$deb" Depends | sed 's/^/   Depends: /'

say "tools for the check"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends \
  lintian xdg-utils libfile-mimeinfo-perl desktop-file-utils appstream xvfb xauth \
  python3 procps >/dev/null

say "lintian (errors, warnings and hardening notices fail)"
report=$(lintian --info "$deb" 2>&1 | grep -v 'root privileges' || true)
[ -z "$report" ] || printf '%s\n' "$report" | sed 's/^/   /'
lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || fail "lintian reports errors or warnings"
if printf '%s\n' "$report" | grep -q 'hardening-'; then fail "lintian reports a hardening notice"; fi

say "apt-get install ./$(basename "$deb")"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "$deb" >/dev/null
dpkg-query -W -f='   installed: ${Package} ${Version} (${Status})\n' nuvbrowser
files=$(dpkg -L nuvbrowser | while read -r f; do [ -f "$f" ] && echo "$f"; done)

say "validators on the installed files"
desktop-file-validate /usr/share/applications/nuvbrowser.desktop \
  /usr/share/applications/nuvbrowser-shortcut.desktop && echo "   desktop-file-validate: clean"
appstreamcli validate --no-net /usr/share/metainfo/org.qorval.nuvbrowser.metainfo.xml |
  sed 's/^/   appstreamcli: /'
grep -h 'nuvbrowser' /usr/share/applications/mimeinfo.cache | sed 's/^/   mimeinfo.cache: /'
ls /usr/share/icons/hicolor/*/apps/nuvbrowser.png | sed 's/^/   icon: /'

say "as the default browser under a virtual display"
work=$(mktemp -d /tmp/nuvbrowser-check.XXXXXX)
chmod 700 "$work"
cat >"$work/session.sh" <<'EOF'
#!/bin/sh
# Runs under xvfb-run, with HOME and the XDG folders in the check's own folder.
set -eu
work=$1
fail() { printf 'FAILED: %s\n' "$*"; exit 1; }

# A loopback web server that notes every page asked for, with the asking program.
cat >"$work/server.py" <<'PY'
import http.server, sys
log = open(sys.argv[1], "a", buffering=1)
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        log.write("%s %s\n" % (self.path, self.headers.get("User-Agent", "")))
        body = ("<html><head><title>Page %s</title></head><body><h1>Page %s</h1></body></html>"
                % (self.path, self.path)).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
open(sys.argv[2], "w").write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/server.py" "$work/requests.log" "$work/port" &
server=$!
i=0; while [ ! -s "$work/port" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
port=$(cat "$work/port")
base="http://127.0.0.1:$port"

browser=""
cleanup() {
  [ -n "$browser" ] && kill "$browser" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
}
trap cleanup EXIT

# Waits until the server was asked for a path by the browser's engine.
asked() {
  i=0
  while [ $i -lt 600 ]; do
    grep -q "^$1 .*QtWebEngine" "$work/requests.log" 2>/dev/null && return 0
    sleep 0.1; i=$((i + 1))
  done
  return 1
}
# The browser processes below a process id (the launcher /usr/bin/nuvbrowser becomes the
# browser program in place, keeping its process id).
browsers_below() {
  for child in $(ps -o pid= --ppid "$1"); do
    [ "$(readlink "/proc/$child/exe" 2>/dev/null)" = /usr/lib/nuvbrowser/nuvbrowser-bin ] &&
      echo "$child"
    browsers_below "$child"
  done
}

xdg-settings set default-web-browser nuvbrowser.desktop
echo "   xdg-settings get default-web-browser: $(xdg-settings get default-web-browser)"
for t in x-scheme-handler/http x-scheme-handler/https text/html application/x-mswinurl; do
  echo "   xdg-mime query default $t: $(xdg-mime query default $t)"
done

echo "   xdg-open $base/first (no browser runs yet)"
xdg-open "$base/first" &
opener=$!
asked /first || fail "the browser never asked for /first"
browser=$(browsers_below "$opener" | head -n 1)
[ -n "$browser" ] || fail "no nuvbrowser process below xdg-open"
echo "   browser $browser ($(readlink /proc/$browser/exe)) asked for /first"

echo "   xdg-open $base/second (the browser runs)"
timeout 60 xdg-open "$base/second" || fail "xdg-open of a second address did not return"
asked /second || fail "the running browser never asked for /second"
echo "   the running browser asked for /second; the second start ended"

printf '[InternetShortcut]\r\nURL=%s/from-shortcut\r\n' "$base" >"$work/some.url"
echo "   xdg-open some.url ($(xdg-mime query filetype "$work/some.url"))"
timeout 60 xdg-open "$work/some.url" || fail "xdg-open of some.url did not return"
asked /from-shortcut || fail "the browser never asked for the shortcut's address"
echo "   the running browser asked for /from-shortcut"

count=$(browsers_below "$opener" | wc -l)
[ "$count" = 1 ] || fail "$count browsers run instead of one"
sleep 2
xwd -root -silent 2>/dev/null | convert xwd:- "$work/screen.png" 2>/dev/null || true
echo "   requests the server saw:"
sed 's/^/      /' "$work/requests.log" | cut -c1-110

kill "$browser"
i=0; while kill -0 "$browser" 2>/dev/null && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
kill -0 "$browser" 2>/dev/null && fail "the browser did not end on SIGTERM"
browser=""
wait "$opener" || true
echo "   the browser ended on SIGTERM"
EOF
mkdir -p "$work/home/.config" "$work/home/.local/share" "$work/run"
chmod 700 "$work/run"
status=0
env -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u BROWSER \
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_RUNTIME_DIR="$work/run" QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
  QT_LOGGING_RULES="qt.webenginecontext.info=false" \
  xvfb-run -a -s "-screen 0 1280x900x24" sh "$work/session.sh" "$work" || status=$?

say "apt-get remove nuvbrowser"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -q nuvbrowser >/dev/null
dpkg-query -W -f='${Status}\n' nuvbrowser 2>/dev/null | sed 's/^/   status: /' || true
left=""
for f in $files; do [ -e "$f" ] && left="$left $f"; done
[ -z "$left" ] || fail "left behind:$left"
grep -q nuvbrowser /usr/share/applications/mimeinfo.cache 2>/dev/null &&
  fail "mimeinfo.cache still names nuvbrowser"
echo "   every installed file is gone, the desktop's MIME cache no longer names it"
# A package with maintainer scripts keeps a record until it is purged: leave none. Without
# such scripts the removal already forgot it, and apt-get would not find it to purge.
if dpkg-query -W nuvbrowser >/dev/null 2>&1; then
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -q nuvbrowser >/dev/null
fi
if dpkg-query -W nuvbrowser >/dev/null 2>&1; then
  dpkg-query -W -f='   after purge: ${Status}\n' nuvbrowser
else
  echo "   after purge: dpkg no longer knows the package"
fi

if [ -f "$work/screen.png" ]; then
  cp "$work/screen.png" "$repo/build/check-package-screen.png"
  echo "   screenshot of the session: build/check-package-screen.png"
fi
[ $status = 0 ] && rm -rf "$work"

[ $status = 0 ] || fail "the desktop session check failed ($status)"
say "all checks passed"
