#!/bin/bash
# Builds Qt's qtbase for 64-bit Windows with mingw-w64, once, into a cache
# outside any build folder, and prints nothing but progress on later runs.
#
# The Qt built is the very version of the build machine's Qt (its moc, rcc and
# uic do the host side), from Debian's source package of it. The cache holds
# one folder per Qt version:
#
#   ${XDG_CACHE_HOME:-~/.cache}/quorvel/qt-<version>-mingw64/
#       source/    Debian's qt6-base source, unpacked
#       build/     the Ninja build: an interrupted build goes on from here
#       install/   the finished Qt; install/bin/qt-cmake configures with it
#       build.log  what a background build printed
#
# Usage:
#   build-qt.sh               build (or finish building) and install, here
#   build-qt.sh --background  configure here, then build at the lowest CPU and
#                             disk priority in the background, logging to
#                             build.log; run it again to resume
#   build-qt.sh --prefix      print the finished Qt's folder; fail if there is
#                             none yet
#   build-qt.sh --status      say how far the build has got
#
# QUORVEL_QT_CACHE overrides the cache folder, QUORVEL_QT_JOBS the number of
# parallel compile jobs (2).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mode=${1:-build}
jobs=${QUORVEL_QT_JOBS:-2}

die() {
    echo "build-qt: $*" >&2
    exit 1
}

# The host Qt decides the version: its tools must match the Qt they serve.
host_package=qt6-base-dev-tools
host_version=$(dpkg-query -W -f='${Version}' "$host_package" 2>/dev/null) ||
    die "$host_package is not installed (make windows installs it)"
qt_version=${host_version%%[+~-]*}

cache=${QUORVEL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quorvel}
root=$cache/qt-$qt_version-mingw64
source_dir=$root/source
build_dir=$root/build
prefix=$root/install
log=$root/build.log
done_stamp=$prefix/.quorvel-qt-complete
toolchain=$root/mingw-w64-x86_64.cmake

# Everything Qt is configured with. Changing any of it reconfigures the build
# in place; Ninja then rebuilds only what the change touches.
configure_options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake"
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # The libraries come with Qt's source; nothing is taken from the build
    # machine, whose pkg-config knows only Linux libraries.
    -DFEATURE_pkg_config=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_freetype=ON
    -DFEATURE_system_freetype=OFF
    -DFEATURE_harfbuzz=ON
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_jpeg=OFF
    # The program needs Core, Gui, Widgets, PrintSupport and Test only.
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_direct2d=OFF
    -DFEATURE_androiddeployqt=OFF
)

# What the program needs of the installed Qt, there: an earlier script
# stamped a Qt finished whose print support and Windows plugin had failed.
complete() {
    [ -f "$prefix/bin/Qt6PrintSupport.dll" ] && [ -f "$prefix/plugins/platforms/qwindows.dll" ]
}

status() {
    if [ -f "$done_stamp" ] && complete; then
        echo "Qt $qt_version for Windows is ready in $prefix"
    elif [ -f "$log" ]; then
        # Ninja counts the steps left when a run began: a resumed run starts
        # again from [1/...] with fewer steps.
        local run last
        run=$(grep 'Building Qt .* started' "$log" | tail -n1 || true)
        last=$(tac "$log" | sed '/Building Qt .* started/q' | grep -o '^\[[0-9]*/[0-9]*\]' | head -n1 || true)
        local stopped=""
        if tac "$log" | sed '/Building Qt .* started/q' | grep -q '^FAILED:\|^ninja: build stopped'; then
            stopped=", which stopped"
        fi
        echo "Qt $qt_version for Windows is not finished: ${last:-no step done} in the run ${run#*, }$stopped (log: $log)"
    else
        echo "Qt $qt_version for Windows has not been built (cache: $root)"
    fi
}

# What decides how Qt is configured; Ninja itself notices changed sources.
fingerprint() {
    {
        echo "$host_version"
        printf '%s\n' "${configure_options[@]}"
        cat "$here/mingw-w64-x86_64.cmake"
    } | sha256sum | cut -d' ' -f1
}

case $mode in
    --prefix)
        [ -f "$done_stamp" ] && complete || die "$(status)"
        echo "$prefix"
        exit 0
        ;;
    --status)
        status
        exit 0
        ;;
    build | --background) ;;
    *) die "unknown option $mode (see the top of $0)" ;;
esac

if [ -f "$done_stamp" ] && [ "$(cat "$done_stamp")" = "$(fingerprint)" ] && complete; then
    status
    exit 0
fi

mkdir -p "$root"
# One build at a time: a background build keeps this lock until it ends.
exec 9>"$root/lock"
flock -n 9 || die "Qt for Windows is being built already, by another run of this script: run it again when that ends. $(status)"

for tool in x86_64-w64-mingw32-g++-posix cmake ninja perl dpkg-source; do
    command -v "$tool" >/dev/null || die "$tool is missing (make windows installs it)"
done

# Copies only what changed, so that neither CMake nor Ninja redoes work for
# an unchanged file with a new date.
copy_if_changed() {
    cmp -s "$1" "$2" || cp "$1" "$2"
}

# Debian's source of the host Qt, fetched with apt, which needs a deb-src
# entry for the mirror.
fetch_source() {
    if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package:'; then
        echo "apt knows no Debian source packages yet: adding deb-src entries for its mirrors"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo "$here/enable-deb-src.sh"
    fi
    rm -rf "$source_dir"
    mkdir -p "$source_dir"
    local source_version
    source_version=$(dpkg-query -W -f='${source:Version}' "$host_package")
    (cd "$source_dir" &&
        { apt-get source --only-source "qt6-base=$source_version" ||
            apt-get source --only-source qt6-base; }) ||
        die "apt-get source qt6-base failed"
}

# The unpacked source, named after the Debian version, e.g. qt6-base-6.4.2+dfsg.
unpacked_source() {
    local dir
    for dir in "$source_dir"/qt6-base-"$qt_version"*/; do
        [ -d "$dir" ] && echo "${dir%/}" && return
    done
    true
}

qt_source=$(unpacked_source)
if [ -z "$qt_source" ] || [ ! -f "$qt_source/.quorvel-prepared" ]; then
    fetch_source
    qt_source=$(unpacked_source)
    [ -n "$qt_source" ] || die "the qt6-base source apt fetched is not Qt $qt_version"
fi

# Debian's source leaves out the Wintab headers that the Windows platform
# plugin's tablet support includes; Wine's describe the same interface.
wintab=$qt_source/src/3rdparty/wintab
if [ ! -f "$wintab/wintab.h" ] || [ -f "$wintab/wine-wintab.h" ]; then
    wine_headers=/usr/include/wine/wine/windows
    [ -f "$wine_headers/wintab.h" ] || die "$wine_headers/wintab.h is missing (it comes with libwine-dev)"
    mkdir -p "$wintab"
    copy_if_changed "$wine_headers/wintab.h" "$wintab/wine-wintab.h"
    copy_if_changed "$wine_headers/pktdef.h" "$wintab/wine-pktdef.h"
    for shim in "$here"/wintab/*.h; do
        copy_if_changed "$shim" "$wintab/$(basename "$shim")"
    done
fi
touch "$qt_source/.quorvel-prepared"

# Without Direct2D, Qt 6.4's Gui leaves out its DirectWrite font engine and
# font database, yet the Windows print engine and platform plugin use them
# whenever DirectWrite is on, and neither links. Both are given Gui's own
# condition; they then use the GDI fonts, as before DirectWrite.
for file in printsupport/platform/windows/qprintengine_win.cpp \
    plugins/platforms/windows/qwindowsintegration.cpp; do
    sed -i 's/^#if QT_CONFIG(\(directwrite3\?\))$/#if QT_CONFIG(\1) \&\& QT_CONFIG(direct2d)/' \
        "$qt_source/src/$file"
done

# Qt remembers its toolchain file and hands it on to the programs built with
# it, so the cache keeps its own copy, and the cache stays usable wherever
# the source tree moves.
copy_if_changed "$here/mingw-w64-x86_64.cmake" "$toolchain"

wanted=$(fingerprint)
if [ ! -f "$build_dir/CMakeCache.txt" ] || [ "$(cat "$build_dir/.quorvel-configured" 2>/dev/null)" != "$wanted" ]; then
    echo "Configuring Qt $qt_version for Windows in $build_dir"
    rm -f "$done_stamp"
    cmake -S "$qt_source" -B "$build_dir" "${configure_options[@]}"
    echo "$wanted" >"$build_dir/.quorvel-configured"
fi

build_and_install() {
    echo "Building Qt $qt_version for Windows ($jobs jobs), started $(date -u '+%F %T') UTC"
    # Run by a bash of its own in the background, without -e: a failed step
    # must stop it here, or a Qt without the DLLs that failed would count
    # as finished.
    cmake --build "$build_dir" --parallel "$jobs" || return 1
    cmake --install "$build_dir" || return 1
    echo "$wanted" >"$done_stamp"
    echo "Qt $qt_version for Windows installed in $prefix, $(date -u '+%F %T') UTC"
}

if [ "$mode" = --background ]; then
    # The child inherits the lock on descriptor 9 and holds it till it ends.
    export -f build_and_install
    export build_dir prefix done_stamp wanted jobs qt_version
    # In a session of its own, so that it outlives the terminal it came from.
    setsid nohup nice -n 19 ionice -c3 bash -c build_and_install >>"$log" 2>&1 </dev/null &
    echo "Building Qt $qt_version for Windows in the background (pid $!); log: $log"
    echo "Run $0 --status to see how far it has got; run $0 again to resume it if it stops."
else
    build_and_install 2>&1 | tee -a "$log"
fi
