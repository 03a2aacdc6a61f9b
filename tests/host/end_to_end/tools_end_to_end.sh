#!/usr/bin/env bash
# The programs shipped beside lumo-host, as a user runs them: the playlist
# check in the terminal and in its window (offscreen, closed by its
# screenshot), and the trace monitor holding lumo-host at its first record,
# stepping it on one record and letting it go.
#   tools_end_to_end.sh LUMO_HOST CHECK MONITOR WORK
set -euo pipefail
HOST=$1 CHECK=$2 MONITOR=$3 WORK=$4
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }
# Bounded wait for TEXT in FILE; the programs are never timed, only awaited.
await() { for _ in $(seq 200); do grep -qF -- "$2" "$1" && return; sleep 0.1; done; fail "no '$2' in $1: $(cat "$1")"; }

source "$(dirname "${BASH_SOURCE[0]}")/../private_home.sh"
use_private_home "$WORK"
make_tone_playlist "$WORK" "Tools Mix" 20
printf '#EXTM3U\n%s\n%s\n' "$WORK/music/low.wav" "$WORK/music/gone.wav" > "$WORK/playlists/Broken.m3u"

"$CHECK" --no-window "Tools Mix" > "$WORK/mix.txt" || fail "check of a sound playlist: exit $?"
grep -qF "Status = Done | No. Of Audio Items = 2 | Total Audio Duration = 00:00:01" "$WORK/mix.txt" || fail "$(cat "$WORK/mix.txt")"
status=0; "$CHECK" --no-window Broken > "$WORK/broken.txt" 2> "$WORK/broken.err" || status=$?
[[ $status == 1 ]] || fail "a missing item should end the check with exit 1, not $status"
grep -qE '^ +2  gone +file://' "$WORK/broken.txt" || fail "$(cat "$WORK/broken.txt")"
grep -qF "media item No. 2 'gone' from playlist 'Broken'" "$WORK/broken.err" || fail "no message: $(cat "$WORK/broken.err")"
status=0; "$CHECK" --no-window 2> /dev/null || status=$?
[[ $status == 2 ]] || fail "no playlist should be a usage error, not exit $status"
QT_QPA_PLATFORM=offscreen "$CHECK" --screenshot "$WORK/check.png" "Tools Mix" > /dev/null || fail "windowed check: exit $?"
[[ $(head -c 4 "$WORK/check.png" | tail -c 3) == PNG ]] || fail "no screenshot of the check window"

"$HOST" --register > /dev/null
mkfifo "$WORK/commands"
"$MONITOR" --pause < "$WORK/commands" > "$WORK/records.txt" 2> "$WORK/monitor.txt" &
monitor=$!
exec 3> "$WORK/commands"
trap 'kill $monitor 2>/dev/null || true' EXIT
await "$WORK/monitor.txt" "listening on $XDG_RUNTIME_DIR/lumo-trace-monitor"
printf 'Version\n' > "$WORK/script.lumo"
"$HOST" "$WORK/script.lumo" > "$WORK/host.json" &
host=$!
await "$WORK/monitor.txt" "(pid $host) paused at [LUMOAudioPlayer]"
kill -0 $host || fail "lumo-host did not wait while paused"
echo s >&3
await "$WORK/monitor.txt" "(pid $host) paused at [LUMOAudioPlayer] [00001]"
echo r >&3
wait $host || fail "lumo-host under the monitor: exit $?"
echo q >&3
wait $monitor || fail "monitor: exit $?"
grep -q '"call": "Version", "result": "' "$WORK/host.json" || fail "$(cat "$WORK/host.json")"
grep -qF -- '<-cLUMOAudio : Property (Get) Version' "$WORK/records.txt" || fail "records: $(cat "$WORK/records.txt")"
await "$WORK/monitor.txt" "(pid $host) left"
