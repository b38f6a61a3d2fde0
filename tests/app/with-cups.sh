#!/bin/sh
# Runs a test beside a CUPS scheduler of its own, on a private socket in a
# temporary folder, so that printing meets the real print system without
# touching the machine's. Queue "spool" leaves each job's output in
# $QUORVEL_SPOOLED_PAGE; queue "rejected" refuses every job. Without cupsd the
# test runs alone and its printing cases skip. QUORVEL_CUPSD_PID lets a test
# stop the scheduler, as one that no longer answers.
#
#   with-cups.sh COMMAND [ARGUMENT...]

PATH=$PATH:/usr/sbin:/sbin
command -v cupsd >/dev/null || exec "$@"
set -e
dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvel-cups.XXXXXX")
mkdir "$dir/spool" "$dir/cache" "$dir/state" && mkdir -m 1777 "$dir/tmp" # filters may run as lp
printf '%s\n' "ServerRoot $dir" "RequestRoot $dir/spool" "CacheDir $dir/cache" "StateDir $dir/state" \
    "TempDir $dir/tmp" "Printcap $dir/printcap" ErrorLog\ stderr AccessLog\ stderr PageLog\ stderr \
    FileDevice\ Yes >"$dir/cups-files.conf"
printf '%s\n' "Listen $dir/cups.sock" "Browsing No" "<Policy default>" "<Limit All>" \
    "Order deny,allow" "</Limit>" "</Policy>" >"$dir/cupsd.conf"
cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" 2>"$dir/log" & cups=$!
trap 'set +e; kill $cups 2>/dev/null; wait $cups; rm -rf "$dir"' EXIT
trap 'exit 1' HUP INT TERM
export CUPS_SERVER="$dir/cups.sock" QUORVEL_SPOOLED_PAGE="$dir/page.pdf" QUORVEL_CUPSD_PID=$cups
for i in $(seq 600); do [ -S "$CUPS_SERVER" ] && break || sleep 0.1; done
pdf=/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd # a PDF comes out
lpadmin -p spool -v "file:$QUORVEL_SPOOLED_PAGE" -P $pdf -E 2>/dev/null
lpadmin -p rejected -v file:/dev/null -P $pdf -E 2>/dev/null && cupsreject rejected
"$@"
