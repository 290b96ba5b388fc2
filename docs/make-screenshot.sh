#!/bin/sh
# Makes docs/screenshot.png for the README: the browser from the build folder on a virtual
# display, with the Python documentation (python3.11-doc, served on the loopback address)
# open in three tabs and a small favorites folder in the tree. Run after `make build`.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
missing=""
for p in python3.11-doc xvfb xauth x11-apps imagemagick; do
  dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing

work=$(mktemp -d /tmp/nuvbrowser-shot.XXXXXX)
trap 'rm -rf "$work"' EXIT
cat >"$work/session.sh" <<'INNER'
#!/bin/sh
set -eu
repo=$1
work=$2
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory /usr/share/doc/python3.11/html "$port" \
  >/dev/null 2>&1 &
server=$!
base="http://127.0.0.1:$port"
i=0
until python3 -c "import urllib.request; urllib.request.urlopen('$base/')" 2>/dev/null; do
  i=$((i + 1)); [ $i -lt 100 ] || exit 1; sleep 0.1
done

# A favorites folder as a user would have one: shortcuts and a folder of them.
favorites="$XDG_DATA_HOME/nuvBrowser/Favorites"
mkdir -p "$favorites/Python"
shortcut() { printf '[InternetShortcut]\r\nURL=%s\r\n' "$2" >"$favorites/$1.url"; }
shortcut "Python Tutorial" "$base/tutorial/index.html"
shortcut "Library Reference" "$base/library/index.html"
shortcut "Python/What's New" "$base/whatsnew/index.html"
shortcut "Python/Language Reference" "$base/reference/index.html"
shortcut "Python/FAQ" "$base/faq/index.html"
shortcut "Debian" "https://www.debian.org/"

# Tabs share the strip's width, so all three show.
mkdir -p "$XDG_CONFIG_HOME/nuvBrowser"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Qorval\\nuvBrowser\\Options]\n"ViewTabWidthFixed"=dword:00000001\n' \
  >"$XDG_CONFIG_HOME/nuvBrowser/registry.reg"

"$repo/build/nuvbrowser" "$base/library/index.html" 2>/dev/null &
browser=$!
trap 'kill $browser $server 2>/dev/null || true' EXIT
sleep 6
"$repo/build/nuvbrowser" "$base/reference/index.html" 2>/dev/null
sleep 2
"$repo/build/nuvbrowser" "$base/tutorial/index.html" 2>/dev/null
sleep 6
xwd -root -silent | convert xwd:- -strip "$repo/docs/screenshot.png"
kill $browser
wait $browser || true
INNER
mkdir -p "$work/home/.config" "$work/home/.local/share" "$work/run"
chmod 700 "$work/run"
env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
  XDG_RUNTIME_DIR="$work/run" QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
  QT_LOGGING_RULES="qt.webenginecontext.info=false" \
  xvfb-run -a -s "-screen 0 1024x768x24" sh "$work/session.sh" "$repo" "$work"
echo "docs/screenshot.png written"
