#!/bin/sh
# Installs the build into a scratch root and checks what a packager and a
# crew's desktop need of it: the program folder and its launchers, the manual
# pages, copyright and changelog, a valid desktop entry and AppStream file,
# and a window that docks can match to its launcher.
set -eu
for tool in desktop-file-validate appstreamcli xvfb-run xdotool xprop; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$1" --prefix /usr >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
usr="$root/usr"
entry="$usr/share/applications/com.dunmere.Quorvel.desktop"
for file in lib/quorvel/kvtext/help.txt lib/quorvel/help/lqrbook2.txt share/man/man1/quorvel.1.gz \
            share/man/man1/quorvel-calc.1.gz share/doc/quorvel/copyright share/doc/quorvel/changelog.gz \
            share/icons/hicolor/32x32/apps/com.dunmere.Quorvel.png share/icons/hicolor/256x256/apps/com.dunmere.Quorvel.png; do
    [ -s "$usr/$file" ] || fail "$file is not installed"
done
# Only a build tree carries the marker; with it, an installed program would
# write into its own folder.
[ ! -e "$usr/lib/quorvel/quorvel-build-tree" ] || fail "the build-tree marker is installed"
# The launchers on the PATH find the program folder through their links.
PATH="$usr/bin:$PATH" quorvel-calc "$usr/lib/quorvel/lqrfiles/worked-example.lqr" |
    grep -q "based on entire race *38.7" || fail "the installed quorvel-calc gives a wrong result"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/quorvel" 2>&1 |
    grep -qF "ssh -X THIS-MACHINE $usr/bin/quorvel" || fail "without a display, the hint does not name the program as started"
# Told to use X11 where there is none, it says the same instead of aborting.
hint=$(env -u DISPLAY QT_QPA_PLATFORM=xcb "$usr/bin/quorvel" 2>&1 || echo "rc $?")
case $hint in *"needs a graphical display"*"rc 1") ;; *) fail "QT_QPA_PLATFORM=xcb without a display: $hint" ;; esac

desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/com.dunmere.Quorvel.metainfo.xml" || fail "appstreamcli validate"
class=$(sed -n 's/^StartupWMClass=//p' "$entry")
HOME="$root" xvfb-run -a -s "-noreset -screen 0 1280x1024x24" sh -c '"$1" & program=$!
    window=$(timeout 30 xdotool search --sync --class "^$2\$" | head -n 1)
    xprop -id "${window:-0}" WM_CLASS | grep -q ", \"$2\"\$"; found=$?; kill $program; exit $found' \
    sh "$usr/bin/quorvel" "${class:-none}" || fail "no window of the WM_CLASS the desktop entry names ($class)"
echo "install layout: passed"
