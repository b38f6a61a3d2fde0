#!/bin/bash
# Cross-builds Quorvel for 64-bit Windows and makes its installer:
#   <build dir>/quorvel-<version>-setup.exe
# with Qt for Windows from build-qt.sh's cache (built first if missing, which
# takes an hour or two) and Debian's mingw-w64 and NSIS.
#
# Usage: build-windows.sh [build dir, default build-windows]
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source_root=$(cd "$here/../.." && pwd)
build_dir=$(realpath -m "${1:-build-windows}")
triplet=x86_64-w64-mingw32

die() {
    echo "build-windows: $*" >&2
    exit 1
}

"$here/build-qt.sh"
qt=$("$here/build-qt.sh" --prefix)

"$qt/bin/qt-cmake" -S "$source_root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release ||
    die "configuring Quorvel for Windows failed (see above); Qt for Windows itself is ready in $qt"
cmake --build "$build_dir" --target quorvel quorvel-calc quorvel_data ||
    die "cross-building Quorvel for Windows failed (see above); Qt for Windows itself is ready in $qt"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")
[ -n "$version" ] || die "no project version in $build_dir/CMakeCache.txt"

# The installed program folder, laid out in full: the programs, their data
# folders, the licence, and every DLL they load that Windows does not bring.
# The build tree's own marker file stays behind: an installed program keeps
# its settings and races in the user's folders.
stage=$build_dir/stage
rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$build_dir/bin/quorvel.exe" "$build_dir/bin/quorvel-calc.exe" "$stage/"
for folder in kvtext help lqrfiles; do
    cp -r "$build_dir/bin/$folder" "$stage/"
done
cp "$source_root/LICENSE" "$stage/LICENSE.txt"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt"/plugins/styles/*.dll "$stage/styles/"

# The DLLs come from Qt's and the compiler's folders; whatever a DLL imports
# from elsewhere is Windows' own.
gcc_dir=$(dirname "$("$triplet-g++-posix" -print-file-name=libstdc++-6.dll)")
dll_dirs=("$qt/bin" "$gcc_dir" "/usr/$triplet/lib")
add_imports() {
    local dll path dir
    for dll in $("$triplet-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'); do
        [ -e "$stage/$dll" ] && continue
        for dir in "${dll_dirs[@]}"; do
            path=$dir/$dll
            if [ -f "$path" ]; then
                cp "$path" "$stage/"
                add_imports "$path"
                break
            fi
        done
    done
}
for binary in "$stage"/*.exe "$stage"/platforms/*.dll "$stage"/styles/*.dll; do
    add_imports "$binary"
done
# Debian's mingw runtime DLLs carry their debugging symbols (libstdc++ is
# ten times its stripped size); a crew's laptop needs none of them.
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec "$triplet-strip" --strip-unneeded {} +

"$here/make-installer.sh" "$stage" "$version" "$build_dir/quorvel-$version-setup.exe"
