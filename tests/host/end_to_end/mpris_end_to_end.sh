#!/usr/bin/env bash
# The desktop's media controls on a real lumo-host session: a private
# session bus, lumo-host playing a generated playlist through the real
# player while it sleeps, and dbus-send and playerctl in the desktop's place:
# they read the status and the item, seek, set the volume and pause.
# lumo-host then reads, by its own calls, what the desktop did. Then a host that polls the play state
# sees the end of its playlist although the media keys read it all along,
# and playerctl follows a playlist of very short tagged files.
#   mpris_end_to_end.sh LUMO_HOST LIBRARY WORK
set -euo pipefail
if [[ -z ${LUMO_PRIVATE_BUS:-} ]]; then
    exec env LUMO_PRIVATE_BUS=1 dbus-run-session -- bash "$0" "$@"
fi
HOST=$1 LIBRARY=$2 WORK=$3
fail() { printf 'FAILED: %s\n' "$*" >&2; [[ -s $WORK/out.json ]] && cat "$WORK/out.json" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/../private_home.sh"
use_private_home "$WORK"
[[ -n ${DBUS_SESSION_BUS_ADDRESS:-} ]] || fail "no private session bus"

# Two six-second tones: long enough to be seen playing and paused.
make_tone_playlist "$WORK" "Keys Mix" 260
"$HOST" --library "$LIBRARY" --register > /dev/null

cat > "$WORK/script.lumo" <<'LINES'
InitialisePL "" 0 "Keys Mix" 0 "" "" "" 2 0 "" 0
DoPlay
:wait Playstate=3 10000
:wait Playstate=2 15000
Volume
:sleep 4000
LINES
"$HOST" "$WORK/script.lumo" > "$WORK/out.json" 2> "$WORK/err.txt" &
host=$!
trap 'kill $host 2>/dev/null || true' EXIT

mpris=(--session --print-reply --reply-timeout=5000 --dest=org.mpris.MediaPlayer2.lumo /org/mpris/MediaPlayer2)
property() {
    dbus-send "${mpris[@]}" org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player "string:$1"
}
# Polls until the property's reply holds the text, for at most 10 s.
await() {
    for _ in $(seq 100); do
        property "$1" 2>/dev/null | grep -q "$2" && return 0
        sleep 0.1
    done
    fail "$1 never showed $2 (last: $(property "$1" 2>&1 | tr '\n' ' '))"
}

await PlaybackStatus '"Playing"'
property Metadata | grep -q "file://$WORK/music/low.wav" || fail "the metadata does not name the playing item"

# playerctl seeks: to 2 s (SetPosition of the current track), then 1 s on;
# the position read back is the engine's, which plays on meanwhile. A seek
# past the end is Next by the time it answers, seconds before low.wav ends.
await CanSeek 'boolean true'
position_within() {
    local at
    at=$(playerctl --player=lumo position) || fail "playerctl cannot read the position"
    awk -v at="$at" -v low="$1" -v high="$2" 'BEGIN { exit !(at >= low && at <= high) }' ||
        fail "position $at after $3, not within $1..$2"
}
playerctl --player=lumo position 2 || fail "playerctl cannot set the position"
position_within 1.9 3.0 "position 2"
playerctl --player=lumo position 1+ || fail "playerctl cannot seek"
position_within 2.9 4.5 "position 1+"
playerctl --player=lumo position 60+
property Metadata | grep -q "file://$WORK/music/high.wav" || fail "a seek past the end did not go to the next item"
dbus-send "${mpris[@]}" org.freedesktop.DBus.Properties.Set string:org.mpris.MediaPlayer2.Player \
    string:Volume variant:double:0.3 > /dev/null
dbus-send "${mpris[@]}" org.mpris.MediaPlayer2.Player.Pause > /dev/null
await PlaybackStatus '"Paused"'
await Volume 'double 0.3'

wait $host || fail "lumo-host exited $?"
trap - EXIT
grep -q '"wait": "Playstate=2", "ok": true' "$WORK/out.json" || fail "the host did not see the pause"
grep -q '"call": "Volume", "result": 30' "$WORK/out.json" || fail "the host did not see the volume"

# The host's own seek reaches the desktop as Seeked, with where it went.
dbus-monitor --session "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'" \
    > "$WORK/seeked.txt" 2>&1 &
monitor=$!
cat > "$WORK/seek.lumo" <<'LINES'
InitialisePL "" 0 "Keys Mix" 0 "" "" "" 2 0 "" 0
DoPlay
:wait Playstate=3 10000
:sleep 300
Position = 3
:sleep 300
DoStop
LINES
"$HOST" "$WORK/seek.lumo" > "$WORK/out.json" 2> "$WORK/err.txt" || fail "lumo-host exited $?"
sleep 0.2
kill $monitor
grep -Eq "int64 (29|30|31)[0-9]{5}$" "$WORK/seeked.txt" || fail "the host's seek was not told: $(cat "$WORK/seeked.txt")"

gst-launch-1.0 -q audiotestsrc num-buffers=20 ! audio/x-raw,rate=44100,channels=2 ! wavenc \
    ! filesink location="$WORK/music/short.wav"
printf '#EXTM3U\n%s\n' "$WORK/music/short.wav" > "$WORK/playlists/Short.m3u"
cat > "$WORK/ended.lumo" <<'LINES'
InitialisePL "" 0 "Short" 0 "" "" "" 2 0 "" 0
SetAutoRewind 0
DoPlay
:sleep 2500
Playstate
LINES
"$HOST" "$WORK/ended.lumo" > "$WORK/out.json" 2> "$WORK/err.txt" &
host=$!
trap 'kill $host 2>/dev/null || true' EXIT
await PlaybackStatus '"Stopped"'
wait $host || fail "lumo-host exited $?"
trap - EXIT
grep -q '"call": "Playstate", "result": 8,' "$WORK/out.json" || fail "the polling host did not see the end (8)"

# Very short tagged files that follow each other: whatever playerctl shows of
# an item is that item's own length and album, never its neighbour's.
: > "$WORK/playlists/Shorts.m3u"
for n in 1 2 3 4 5 6; do
    gst-launch-1.0 -q audiotestsrc num-buffers=$((n * 6)) samplesperbuffer=441 freq=$((200 * n)) \
        ! audio/x-raw,rate=44100,channels=2 ! taginject "tags=album=Album-$n,title=Short-$n,track-number=(uint)$n" \
        ! flacenc ! filesink location="$WORK/music/short-$n.flac" 2> /dev/null
    echo "$WORK/music/short-$n.flac" >> "$WORK/playlists/Shorts.m3u"
done
cat > "$WORK/shorts.lumo" <<'LINES'
InitialisePL "" 0 "Shorts" 0 "" "" "" 2 0 "" 0
SetLoop 1
DoPlay
:sleep 5000
LINES
"$HOST" "$WORK/shorts.lumo" > "$WORK/out.json" 2> "$WORK/err.txt" &
host=$!
trap 'kill $host 2>/dev/null || true' EXIT
await PlaybackStatus '"Playing"'
timeout 3 playerctl --player=lumo metadata --follow \
    --format '{{xesam:url}} {{mpris:length}} {{xesam:album}} {{xesam:trackNumber}}' > "$WORK/follow.txt" || true
wait $host || fail "lumo-host exited $?"
trap - EXIT
seen=0
while read -r url length album number; do
    [[ -n $url ]] || continue
    n=${url##*short-}; n=${n%.flac}
    # n x 60 ms, to the millisecond (a frame of the encoder at most).
    (( length / 1000 >= n * 60 - 1 && length / 1000 <= n * 60 + 1 )) ||
        fail "short-$n.flac shown $length us long (its own: $((n * 60)) ms)"
    [[ $album == "Album-$n" && $number == "$n" ]] || fail "short-$n.flac shown with album $album, number $number"
    seen=$((seen + 1))
done < "$WORK/follow.txt"
(( seen >= 3 )) || fail "playerctl saw $seen items of the short playlist: $(cat "$WORK/follow.txt")"
echo "media keys on a private bus: all passed"
