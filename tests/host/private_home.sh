# Sourced by the shell tests that run the programs as a user does.
#   use_private_home WORK
# A fresh WORK with a home of its own: nothing of the user's settings,
# registration, caches or display reaches the programs, and audio goes to a
# clocked fake sink.
use_private_home() {
    local work=$1
    rm -rf "$work"
    mkdir -p "$work"/{home,config/lumo,data,cache,music,playlists}
    mkdir -m 0700 "$work/runtime"
    export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
    export XDG_RUNTIME_DIR=$work/runtime LUMO_AUDIO_SINK="fakesink sync=true"
    unset DISPLAY WAYLAND_DISPLAY LUMO_LIBRARY LUMO_CLIENT_LIBRARY
}

#   make_tone_playlist WORK PLAYLIST BUFFERS
# Two tones (low.wav, high.wav) of BUFFERS x 1024 samples in WORK/music, the
# playlist PLAYLIST of both, and settings that make them the media library.
make_tone_playlist() {
    local work=$1 playlist=$2 buffers=$3 tone
    for tone in "low 330" "high 660"; do
        set -- $tone
        gst-launch-1.0 -q audiotestsrc num-buffers="$buffers" freq="$2" ! audio/x-raw,rate=44100,channels=2 \
            ! wavenc ! filesink location="$work/music/$1.wav"
    done
    printf '#EXTM3U\n%s\n%s\n' "$work/music/low.wav" "$work/music/high.wav" > "$work/playlists/$playlist.m3u"
    printf '[Library]\nMusicFolders=%s\nPlaylistFolders=%s\n\n[Settings]\nINSTALLDIR=%s\n' \
        "$work/music" "$work/playlists" "$work" > "$work/config/lumo/LUMO Player.ini"
}
