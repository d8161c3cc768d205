#!/usr/bin/env bash
# The speaker component's tone, as sound: played through the emulated speaker into a PulseAudio
# null sink and recorded from its monitor. Skips (77) where PulseAudio is missing or will not start.
# usage: speaker_tone.sh PATH/TO/speaker_tone
set -uo pipefail
prog=$1
command -v pulseaudio >/dev/null && command -v parecord >/dev/null || { echo "no pulseaudio: skipped"; exit 77; }
work=$(mktemp -d /tmp/qel-tone.XXXXXX)
server=
recorder=
cleanup() {
  [ -n "$recorder" ] && kill "$recorder" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "speaker_tone: $*" >&2; exit 1; }

# A private server: its own runtime folder, home (cookie) and socket.
export HOME=$work XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=no --exit-idle-time=-1 -n --load="module-null-sink sink_name=nullsink" \
  --load=module-native-protocol-unix >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pulse/native" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/pulse/native" ] || { cat "$work/server.log"; echo "pulseaudio did not start: skipped"; exit 77; }
export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native

parecord --latency-msec=20 -d nullsink.monitor --raw --format=s16le --rate=8000 --channels=1 "$work/tone.raw" &
recorder=$!
# The recorder can take a while to connect: the tone starts once samples flow.
for _ in $(seq 100); do [ -s "$work/tone.raw" ] && break; sleep 0.1; done
[ -s "$work/tone.raw" ] || fail "the recorder never started"
QT_QPA_PLATFORM=offscreen timeout 30 "$prog" play 440 1000 || fail "the player failed"
sleep 0.3
kill -INT "$recorder"; wait "$recorder" 2>/dev/null; recorder=

read -r hz seconds < <("$prog" count "$work/tone.raw" 8000)
echo "recorded ${hz} Hz for ${seconds} s"
awk -v f="$hz" 'BEGIN { exit !(f >= 437 && f <= 443) }' || fail "tone at $hz Hz, not 440"
awk -v s="$seconds" 'BEGIN { exit !(s >= 0.8 && s <= 1.3) }' || fail "tone lasted $seconds s, not 1"
