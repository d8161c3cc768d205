#!/usr/bin/env bash
# End-to-end mail benchmarks against the local real servers, each against a peer in one run:
#   send:  qelmail send --line-pause 0 of one message with a 20 MiB attachment  vs  curl --upload-file
#          of the same message bytes; peak resident memory of the send
#   fetch: qelmail fetch of 200 messages (~50 MiB)  vs  curl retrieving the same messages raw;
#          peak resident memory while fetching one 20 MiB message
# usage: bench/scripts/mail_e2e.sh [build-dir]   (default build-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
tool=$build/bin/qelmail
work=$(mktemp -d /tmp/qelb.XXXXXX)
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
smtp_port=$(free_port)
pop_port=$(free_port)
trap '"$root/scripts/smtp-server" stop "$work"; "$root/scripts/pop3-server" stop "$work"; rm -rf "$work"' EXIT
"$root/scripts/smtp-server" start "$work" "$smtp_port"
"$root/scripts/pop3-server" start "$work" "$pop_port" bench bench
printf 'bench\n' >"$work/pw"

seconds() { /usr/bin/python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
now() { date +%s.%N; }
peak_kib() { grep 'Maximum resident' "$1" | awk '{print $NF}'; }
ratio() { /usr/bin/python3 -c 'import sys; print("%.2f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$@"; }

# ---- send
head -c $((20 * 1024 * 1024)) /dev/urandom >"$work/big.bin"
printf 'benchmark body\n' >"$work/body.txt"
t0=$(now)
/usr/bin/time -v "$tool" send --server "127.0.0.1:$smtp_port" --from a@example.org --to b@example.org \
  --subject big --body-file "$work/body.txt" --attach "$work/big.bin" --line-pause 0 >/dev/null 2>"$work/time-send.txt"
t1=$(now)
msg=$(find "$work/Maildir/new" -type f | head -n 1)
cp "$msg" "$work/sent.eml"
curl -s --url "smtp://127.0.0.1:$smtp_port" --mail-from a@example.org --mail-rcpt b@example.org --upload-file "$work/sent.eml"
t2=$(now)
send_q=$(seconds "$t0" "$t1"); send_c=$(seconds "$t1" "$t2")
send_rss=$(peak_kib "$work/time-send.txt")
echo "send 20 MiB attachment: qelmail ${send_q}s, curl ${send_c}s, ratio $(ratio "$send_q" "$send_c")x;" \
  "peak RSS $((send_rss / 1024)) MiB = $(ratio "$send_rss" 20480)x the attachment"

# ---- fetch one 20 MiB message (memory)
rm -f "$work"/Maildir/new/*  # the same message, stored twice (qelmail and curl): keep one
cp "$work/sent.eml" "$work/Maildir/new/big.eml" && chown nobody:nogroup "$work/Maildir/new/big.eml"
size_kib=$(( $(wc -c <"$work/Maildir/new/big.eml") / 1024 ))
/usr/bin/time -v "$tool" fetch --server "127.0.0.1:$pop_port" --user bench --password-file "$work/pw" \
  --delete >/dev/null 2>"$work/time-fetch1.txt"
fetch_rss=$(peak_kib "$work/time-fetch1.txt")
echo "fetch one $((size_kib / 1024)) MiB message: peak RSS $((fetch_rss / 1024)) MiB = $(ratio "$fetch_rss" "$size_kib")x the message"
"$root/scripts/pop3-server" stop "$work"

# ---- fetch 200 messages of mixed sizes, about 50 MiB
rm -f "$work"/Maildir/new/* "$work"/Maildir/cur/*
/usr/bin/python3 - "$work/Maildir/new" <<'PY'
import os, random, sys, base64
from email.message import EmailMessage
random.seed(7)
for i in range(200):
    m = EmailMessage()
    m["From"] = "Sender %d <s%d@example.org>" % (i, i)
    m["To"] = "bench@example.org"
    m["Subject"] = "message %d" % i
    m["Message-ID"] = "<bench-%d@example.org>" % i
    m.set_content("body of message %d\n" % i * 20)
    size = random.choice([2_000, 20_000, 100_000, 250_000, 750_000])
    m.add_attachment(os.urandom(size), maintype="application", subtype="octet-stream", filename="f%d.bin" % i)
    with open(os.path.join(sys.argv[1], "%d.bench" % i), "wb") as f:
        f.write(m.as_bytes(policy=m.policy.clone(linesep="\r\n")))
PY
chown -R nobody:nogroup "$work/Maildir"
total=$(du -sm "$work/Maildir/new" | cut -f1)
"$root/scripts/pop3-server" start "$work" "$pop_port" bench bench
urls=$(for i in $(seq 1 200); do printf 'pop3://127.0.0.1:%s/%s ' "$pop_port" "$i"; done)
# Best of three each, taken in turns, so that a noisy moment does not decide the ratio.
fq=999 fc=999
for _ in 1 2 3; do
  t0=$(now)
  "$tool" fetch --server "127.0.0.1:$pop_port" --user bench --password-file "$work/pw" >/dev/null
  t1=$(now)
  # shellcheck disable=SC2086
  curl -s -u bench:bench $urls >/dev/null
  t2=$(now)
  fq=$(/usr/bin/python3 -c 'import sys; print(min(float(sys.argv[1]), float(sys.argv[2])))' "$fq" "$(seconds "$t0" "$t1")")
  fc=$(/usr/bin/python3 -c 'import sys; print(min(float(sys.argv[1]), float(sys.argv[2])))' "$fc" "$(seconds "$t1" "$t2")")
done
echo "fetch 200 messages (${total} MiB): qelmail ${fq}s, curl ${fc}s, ratio $(ratio "$fq" "$fc")x"
