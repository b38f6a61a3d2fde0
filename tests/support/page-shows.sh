#!/bin/sh
# A printed page as a crew looks at it: one page, with the text on it, inked
# in the proportions of the window printed (so not blank).
#   page-shows.sh PDF TEXT PROPORTIONS   (width / height of the window)
pdfinfo "$1" | grep -q '^Pages: *1$' || exit 1
pdftotext "$1" - | tr '\n' ' ' | grep -qF "$2" || exit 1
gs -q -dBATCH -dNOPAUSE -sDEVICE=bbox "$1" 2>&1 |
    awk -v w="$3" '/HiRes/ { r = ($4 - $2) / ($5 - $3) / w } END { exit !(r > 0.97 && r < 1.03) }'
