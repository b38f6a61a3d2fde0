#!/bin/sh
# Lets apt fetch Debian source packages from the mirrors it already installs
# binary packages from, by adding a deb-src twin of each entry; apt's own
# files stay as they are. Run as root.
set -eu

list_dir=/etc/apt/sources.list.d
if [ -f "$list_dir/debian.sources" ]; then
    # deb822 (Debian 12 and later): the same stanzas, for source packages.
    sed -e 's/^Types:.*/Types: deb-src/' "$list_dir/debian.sources" \
        >"$list_dir/quorvel-deb-src.sources"
elif grep -q '^deb ' /etc/apt/sources.list 2>/dev/null; then
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list \
        >"$list_dir/quorvel-deb-src.list"
else
    echo "enable-deb-src: found no Debian mirror to add deb-src entries for;" >&2
    echo "add one for your mirror by hand (see sources.list(5))." >&2
    exit 1
fi
apt-get update
