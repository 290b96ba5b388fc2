#!/bin/sh
# Starts the browser from the build folder on a virtual display with the desktop's
# accessibility bus (AT-SPI), opens a few pages in tabs and prints what a screen reader sees;
# fails when a control on the screen has no name. Needs xvfb, dbus, at-spi2-core and
# python3-pyatspi (installed here when missing). Run from the repository after `make build`.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
missing=""
for p in xvfb xauth dbus at-spi2-core python3-pyatspi; do
  dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing

work=$(mktemp -d /tmp/nuvbrowser-a11y.XXXXXX)
trap 'rm -rf "$work"' EXIT
cat >"$work/session.sh" <<'INNER'
#!/bin/sh
set -eu
repo=$1
work=$2
mkdir -p "$work/pages"
for n in 1 2 3; do
  printf '<html><head><title>Page %s</title></head><body><p>Page %s</p></body></html>' $n $n \
    >"$work/pages/p$n.html"
done
"$repo/build/nuvbrowser" "file://$work/pages/p1.html" 2>/dev/null &
browser=$!
trap 'kill $browser 2>/dev/null || true' EXIT
sleep 5
"$repo/build/nuvbrowser" "file://$work/pages/p2.html" 2>/dev/null
"$repo/build/nuvbrowser" "file://$work/pages/p3.html" 2>/dev/null
sleep 3
/usr/bin/python3 "$repo/desktop/accessible-tree.py" nuvBrowserClass
INNER
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
status=0
env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_RUNTIME_DIR="$work/run" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
  QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu QT_LOGGING_RULES="qt.webenginecontext.info=false" \
  xvfb-run -a -s "-screen 0 1280x900x24" dbus-run-session -- sh "$work/session.sh" "$repo" "$work" \
  >"$work/out.txt" 2>&1 || status=$?
grep -v 'fd limit\|Sandboxing disabled\|sandbox is off\|dbus-daemon\|SpiRegistry' "$work/out.txt" || true
exit $status
