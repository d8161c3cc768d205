#!/usr/bin/env bash
# Parse + decode of a 20 MiB message with base64 attachments: the POP3 component's parser against
# Python's email package on the same bytes, in one run.
# usage: bench/scripts/parse_vs_python.sh [build-dir]   (default build-release)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
work=$(mktemp -d /tmp/qelp.XXXXXX)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work/big.eml" <<'PY'
import os, sys
from email.message import EmailMessage
m = EmailMessage()
m["From"] = "Alice <alice@example.org>"; m["To"] = "bob@example.org"
m["Subject"] = "big"; m["Message-ID"] = "<big@example.org>"
m.set_content("See the attachments.\n")
for i in range(4):
    m.add_attachment(os.urandom(5 * 1024 * 1024 // 4 * 3), maintype="application", subtype="octet-stream", filename="part%d.bin" % i)
open(sys.argv[1], "wb").write(m.as_bytes(policy=m.policy.clone(linesep="\r\n")))
PY

ours=$("$build/bin/qelmail_parse_throughput" "$work/big.eml" 5)
theirs=$(/usr/bin/python3 - "$work/big.eml" <<'PY'
import email, sys, time
raw = open(sys.argv[1], "rb").read()
best = 1e9
for _ in range(3):
    t = time.perf_counter()
    msg = email.message_from_bytes(raw)
    n = sum(len(p.get_payload(decode=True) or b"") for p in msg.walk() if not p.is_multipart())
    best = min(best, time.perf_counter() - t)
print("%.1f MB/s (%.3f s for %d bytes, %d bytes decoded)" % (len(raw) / best / 1e6, best, len(raw), n))
PY
)
echo "qelmail parser: $ours"
echo "python email:   $theirs"
/usr/bin/python3 -c 'import sys; a=float(sys.argv[1].split()[0]); b=float(sys.argv[2].split()[0]); print("ratio: %.1fx" % (a/b))' "$ours" "$theirs"
