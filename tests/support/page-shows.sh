#!/bin/sh
# A printed page as a crew looks at it: one page, with the text on it, inked
# in the proportions of the window printed (so not blank).
#   page-shows.sh PDF TEXT PROPORTIONS   (width / height of the window)
pdfinfo "$1" | grep -q '^Pages: *1$' || exit 1
# Text wrapped in the window may come in lines: blanks and invisible break
# points do not count.
pdftotext "$1" - | tr -d ' \n' | sed 's/\xe2\x80\x8b//g' | grep -qF "$(printf %s "$2" | tr -d ' ')" || exit 1
gs -q -dBATCH -dNOPAUSE -sDEVICE=bbox "$1" 2>&1 |
    awk -v w="$3" '/HiRes/ { r = ($4 - $2) / ($5 - $3) / w } END { exit !(r > 0.97 && r < 1.03) }'
