#!/bin/sh
# Installs the build into a scratch root and checks what a crew's desktop
# needs of it: the program folder, the launchers on the PATH, the desktop
# entry, the AppStream description and the icons.
set -eu
build="$1"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
usr="$root/usr"
for file in lib/quorvel/quorvel lib/quorvel/quorvel-calc lib/quorvel/kvtext/help.txt \
            lib/quorvel/help/lqrbook2.txt lib/quorvel/lqrfiles/worked-example.lqr \
            share/applications/com.dunmere.Quorvel.desktop \
            share/metainfo/com.dunmere.Quorvel.metainfo.xml; do
    [ -f "$usr/$file" ] || fail "$file is not installed"
done
for size in 32 48 64 128 256; do
    icon="$usr/share/icons/hicolor/${size}x${size}/apps/com.dunmere.Quorvel.png"
    [ -f "$icon" ] || fail "no ${size}x${size} icon"
done
for launcher in quorvel quorvel-calc; do
    [ "$(readlink -f "$usr/bin/$launcher")" = "$(readlink -f "$usr/lib/quorvel/$launcher")" ] ||
        fail "bin/$launcher does not lead to the program folder"
done

# The launcher on the PATH finds the program folder through the link.
PATH="$usr/bin:$PATH" quorvel-calc "$usr/lib/quorvel/lqrfiles/worked-example.lqr" |
    grep -q "based on entire race *38.7" || fail "the installed quorvel-calc gives a wrong result"

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$usr/share/applications/com.dunmere.Quorvel.desktop" ||
        fail "desktop-file-validate"
else
    echo "desktop-file-validate not installed: desktop entry not validated"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$usr/share/metainfo/com.dunmere.Quorvel.metainfo.xml" ||
        fail "appstreamcli validate"
else
    echo "appstreamcli not installed: metainfo not validated"
fi
echo "install layout: 1 passed, 0 failed"
