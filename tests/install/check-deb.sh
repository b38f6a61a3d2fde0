#!/bin/sh
# Builds the .deb and has lintian judge it as Debian's archive would: no error
# and no warning, and executables hardened as Debian's own. Skipped where the
# Debian packaging tools are not installed.
set -eu
for tool in lintian dpkg-shlibdeps file; do
    command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$1/CPackConfig.cmake" -B "$out" >/dev/null
lintian --info --pedantic --fail-on error,warning "$out"/*.deb >"$out/tags" || { cat "$out/tags"; exit 1; }
cat "$out/tags"
! grep -q hardening- "$out/tags"
