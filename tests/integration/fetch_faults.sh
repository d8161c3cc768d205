#!/usr/bin/env bash
# qelmail fetch against a POP3 peer that fails on purpose: what the tool says and exits with when
# QUIT fails or the connection is reset, that an interrupted fetch leaves no partial file and
# deletes nothing, and that a message whose attachment cannot be saved stays on the server.
# usage: fetch_faults.sh PATH/TO/qelmail
set -euo pipefail
tool=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/qel.XXXXXX)
peer_pid=
mounted=
cleanup() {
  [ -z "$peer_pid" ] || kill "$peer_pid" 2>/dev/null || true
  [ -z "$mounted" ] || umount "$mounted" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "fetch_faults: $*" >&2; exit 1; }
says() { grep -qF -- "$1" "$work/$2" || { cat "$work/$2" >&2; fail "no '$1' in $2"; }; }
files_in() { if [ -d "$1" ]; then find "$1" -type f | wc -l; else echo 0; fi; }

# Two messages: a note, and one with an attachment of 40000 bytes.
printf 'Message-ID: <1@example.org>\r\nSubject: first\r\n\r\n.leading dot\r\nend\r\n' >"$work/m1.eml"
/usr/bin/python3 - "$work/m2.eml" <<'PY'
import base64, os, sys
data = base64.encodebytes(os.urandom(40000)).replace(b"\n", b"\r\n")
open(sys.argv[1], "wb").write(
    b"Message-ID: <2@example.org>\r\nSubject: second\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
    b"--b\r\nContent-Type: text/plain\r\n\r\ntext\r\n--b\r\nContent-Type: application/octet-stream; name=big.bin\r\n"
    b"Content-Transfer-Encoding: base64\r\n\r\n" + data + b"--b--\r\n")
PY

# Starts the peer with SCENARIO and the message files; its port lands in $peer_port.
peer() {
  rm -f "$work/peer.port" "$work/peer.log"
  /usr/bin/python3 "$here/pop3_peer.py" "$work/peer.port" "$work/peer.log" "$@" &
  peer_pid=$!
  for _ in $(seq 1 100); do [ -s "$work/peer.port" ] && break; sleep 0.05; done
  peer_port=$(cat "$work/peer.port")
}
finish_peer() { wait "$peer_pid" 2>/dev/null || true; peer_pid=; }
fetch_args() { echo --server "127.0.0.1:$peer_port" --user ann --timeout 5; }
run() {  # EXPECT ARGS...
  local expect=$1 rc=0
  shift
  QELMAIL_PASSWORD=pw timeout 60 "$tool" fetch $(fetch_args) "$@" >"$work/out.txt" 2>"$work/err.txt" </dev/null || rc=$?
  finish_peer
  [ "$rc" -eq "$expect" ] || { cat "$work/out.txt" "$work/err.txt" >&2; fail "exit $rc, not $expect: $*"; }
}

# 1. QUIT refused: the DELE went out, but nothing was committed; the message is stored all the same.
peer quit-err "$work/m1.eml"
run 75 --maildir "$work/md1" --delete
says "DELE 1" peer.log
says "none deleted on the server" out.txt
says "no deletion was committed" err.txt
[ "$(files_in "$work/md1/new")" -eq 1 ] || fail "the message was not stored before QUIT failed"

# 2. No reply to QUIT at all: the same.
peer quit-close "$work/m1.eml"
run 75 --maildir "$work/md2" --delete
says "none deleted on the server" out.txt

# 3. A reset in the middle of a message names the error; nothing is stored, nothing deleted.
peer reset "$work/m2.eml"
run 75 --maildir "$work/md3" --delete
says "Connection reset by peer" err.txt
grep -q "^DELE\|^QUIT" "$work/peer.log" && fail "a reset session sent DELE or QUIT"
[ "$(files_in "$work/md3")" -eq 0 ] || fail "a reset left a file in the Maildir"

# 4. Interrupted while a message is read (SIGINT, then SIGTERM): the file being written goes, no
#    DELE and no QUIT go out, so the server deletes nothing.
for signal in INT TERM; do
  peer slow "$work/m2.eml"
  rm -rf "$work/md4" "$work/save4"
  QELMAIL_PASSWORD=pw "$tool" fetch $(fetch_args) --maildir "$work/md4" --save-dir "$work/save4" --delete \
    >"$work/out.txt" 2>"$work/err.txt" </dev/null &
  fetch_pid=$!
  for _ in $(seq 1 200); do [ "$(files_in "$work/md4/tmp")" -gt 0 ] && break; sleep 0.05; done
  [ "$(files_in "$work/md4/tmp")" -gt 0 ] || fail "no message was being written"
  kill -"$signal" "$fetch_pid"
  rc=0
  wait "$fetch_pid" || rc=$?
  finish_peer
  [ "$rc" -ge 128 ] || { cat "$work/err.txt" >&2; fail "SIG$signal: exit $rc"; }
  says "interrupted" err.txt
  [ "$(files_in "$work/md4")" -eq 0 ] || fail "SIG$signal left a file in the Maildir"
  [ "$(files_in "$work/save4")" -eq 0 ] || fail "SIG$signal left a file in the save folder"
  grep -q "^DELE\|^QUIT" "$work/peer.log" && fail "SIG$signal: DELE or QUIT went out"
done

# 5. An attachment that cannot be saved (a full file system) keeps its message on the server; the
#    other message is deleted as usual. Needs a small tmpfs, so only where mounting is allowed.
mkdir -p "$work/small"
if mount -t tmpfs -o size=16k tmpfs "$work/small" 2>/dev/null; then
  mounted="$work/small"
  peer normal "$work/m1.eml" "$work/m2.eml"
  run 73 --maildir "$work/md5" --save-dir "$work/small" --delete
  says "DELE 1" peer.log
  grep -q "^DELE 2" "$work/peer.log" && fail "a message whose attachment was not saved was deleted"
  says "QUIT" peer.log
  says "big.bin not saved" err.txt
  [ -z "$(ls -A "$work/small")" ] || { ls -la "$work/small" >&2; fail "a partial attachment was left behind"; }
  umount "$work/small"
  mounted=
else
  echo "fetch_faults: no tmpfs mount allowed here; the full-disk case is left out"
fi

# 6. Folders that cannot be made are refused before any connection; --delete needs --maildir.
peer_port=1
printf 'x' >"$work/plain-file"
run 73 --maildir "$work/plain-file/md"
run 73 --save-dir "$work/plain-file"
run 64 --delete
says "--delete needs --maildir" err.txt
run 64 --maildir "$work/md6" --headers-only

echo "fetch_faults: passed"
