#!/usr/bin/env bash
# Printer() to a real queue: a private cupsd (own config, spool and logs, a Unix socket in a temp
# dir) with a cups-pdf queue; two pages printed by the program must come out as a 2-page PDF.
# usage: print_queue.sh PATH/TO/qel_print_queue      exit 77: no cupsd/cups-pdf or not root
set -uo pipefail
prog=$1
skip() { echo "print_queue: SKIP: $*"; exit 77; }
fail() { echo "print_queue: FAIL: $*" >&2; [ -f "$work/log/error_log" ] && tail -n 30 "$work/log/error_log" >&2; exit 1; }

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
[ -x "$cupsd" ] || skip "cupsd is not installed"
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "cups-pdf is not installed"
ppd=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
[ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] || skip "the cups-pdf PPD is missing"
command -v lpadmin >/dev/null && command -v pdfinfo >/dev/null || skip "lpadmin or pdfinfo missing"
# The backend runs only for a root cupsd, and its per-queue settings live in /etc/cups.
[ "$(id -u)" -eq 0 ] || skip "needs root"
[ -w /etc/cups ] || skip "/etc/cups is not writable"

work=$(mktemp -d /tmp/qelcups.XXXXXX)
queue="qeltest$$"
conf="/etc/cups/cups-pdf-$queue.conf"
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  fi
  rm -f "$conf"
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The filters run as lp: they must reach the spool inside the temp dir.
chmod 755 "$work"
mkdir -p "$work/etc/ppd" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log" "$work/out"
chmod 777 "$work/out"
sock="$work/cups.sock"
cat >"$work/etc/cupsd.conf" <<CONF
Listen $sock
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
cat >"$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
FileDevice No
SystemGroup root
CONF
cat >"$conf" <<CONF
Out $work/out
Label 0
UserUMask 0000
CONF

# A watchdog ends cupsd even if this script is killed outright (ctest's TIMEOUT is 300 s).
timeout -k 5 240 "$cupsd" -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
pid=$!
export CUPS_SERVER=$sock
for _ in $(seq 100); do
  [ -S "$sock" ] && lpstat -r >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/log/cupsd.out"; skip "cupsd did not start"; }
  sleep 0.1
done
lpstat -r 2>/dev/null | grep -q "is running" || skip "cupsd does not answer on $sock"

timeout 30 lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -m "$ppd" 2>"$work/log/lpadmin.err" \
  || { cat "$work/log/lpadmin.err"; skip "the cups-pdf queue cannot be added"; }
timeout 15 lpadmin -d "$queue" || fail "cannot make $queue the default queue"

out=$(timeout 60 env QT_QPA_PLATFORM=offscreen "$prog" 2>&1) || fail "the print program failed: $out"
echo "$out"
grep -qx "queue: $queue" <<<"$out" || fail "Printer().Printers does not list $queue"
grep -qx "printing to: $queue" <<<"$out" || fail "did not print to $queue"

pdf=""
for _ in $(seq 600); do  # 60 s at most
  pdf=$(find "$work/out" -name '*.pdf' -size +0 2>/dev/null | head -n 1)
  # cups-pdf writes the file, then the job completes: wait for both.
  [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ] && break
  sleep 0.1
done
[ -n "$pdf" ] || fail "no PDF appeared in $work/out (jobs: $(lpstat -W all -o 2>&1))"
case "$(basename "$pdf")" in qel_print_queue_test*) ;; *) fail "unexpected document name $(basename "$pdf")";; esac
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages:[[:space:]]*//p')
[ "$pages" = 2 ] || fail "the PDF has ${pages:-no} pages, not 2"
# Text does not come back from such a PDF (its fonts are re-encoded): each page must carry ink.
for page in 1 2; do
  pdftoppm -r 50 -gray -f $page -l $page "$pdf" "$work/page" 2>/dev/null || fail "pdftoppm cannot render page $page"
  python3 - "$(ls "$work"/page*.pgm | head -n 1)" <<'PY' || fail "page $page is blank"
import sys
data = open(sys.argv[1], 'rb').read()
fields, pos = [], 0
while len(fields) < 4:  # magic, width, height, maxval
    while data[pos:pos + 1].isspace(): pos += 1
    end = pos
    while not data[end:end + 1].isspace(): end += 1
    fields.append(data[pos:end]); pos = end
pixels = data[pos + 1:]
sys.exit(0 if sum(1 for b in pixels if b < 128) > 20 else 1)
PY
  rm -f "$work"/page*.pgm
done
echo "print_queue: OK ($(basename "$pdf"), $pages pages)"
