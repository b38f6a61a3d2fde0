#!/bin/bash
# Makes the Windows installer from a folder laid out as the installed
# program folder (build-windows.sh lays it out).
#
# Usage: make-installer.sh <program folder> <version> <installer.exe>
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -eq 3 ] || { echo "usage: $0 <program folder> <version> <installer.exe>" >&2; exit 2; }
stage=$(realpath "$1")
version=$2
installer=$(realpath -m "$3")

# The installer names every file it installs, so that uninstalling removes
# those and leaves whatever else is in the folder.
files=$(mktemp --suffix=.nsh)
trap 'rm -f "$files"' EXIT
{
    echo '!macro InstallFiles'
    find "$stage" -type d -printf '%P\n' | sort | while read -r dir; do
        echo "  SetOutPath \"\$INSTDIR${dir:+\\${dir//\//\\}}\""
        find "$stage/$dir" -maxdepth 1 -type f | sort | while read -r file; do
            echo "  File \"$file\""
        done
    done
    echo '!macroend'
    echo '!macro UninstallFiles'
    find "$stage" -type f -printf '%P\n' | sort | while read -r file; do
        echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
    done
    find "$stage" -mindepth 1 -type d -printf '%P\n' | sort -r | while read -r dir; do
        echo "  RMDir \"\$INSTDIR\\${dir//\//\\}\""
    done
    echo '!macroend'
} >"$files"

makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DOUTFILE="$installer" \
    "$here/quorvel.nsi"
echo "The Windows installer: $installer ($(du -h "$installer" | cut -f1))"
