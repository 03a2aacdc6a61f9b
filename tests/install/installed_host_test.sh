#!/usr/bin/env bash
# Hosts built against an installed LUMO Audio Player, not the build tree:
# the C++ host (CMake package) and the C host (pkg-config) each create the
# object by its ProgID and play a generated playlist; the Python example
# selects, activates and plays through the installed module. First through
# the system's class registration the install wrote, then through the
# user's, made by the installed lumo-host --register.
#
#   installed_host_test.sh SOURCE_DIR PREFIX WORK [BUILD_DIR]
# With BUILD_DIR the build tree is installed into PREFIX first; without it
# PREFIX is an installed package (e.g. /usr from the .deb).
set -euo pipefail

SOURCE=$1 PREFIX=$2 WORK=$3 BUILD=${4:-}
step() { printf '\n-- %s\n' "$*"; }
fail() { printf 'FAILED: %s\n' "$*" >&2; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/../host/private_home.sh"

use_private_home "$WORK"
if [[ -n $BUILD ]]; then
    step "cmake --install $BUILD --prefix $PREFIX"
    rm -rf "$PREFIX"
    cmake --install "$BUILD" --prefix "$PREFIX" > "$WORK/install.log"
fi

# The installed prefix's system registration, and no session bus.
export XDG_DATA_DIRS=$PREFIX/share:/usr/local/share:/usr/share QT_QPA_PLATFORM=offscreen
unset DBUS_SESSION_BUS_ADDRESS
LIBDIR=$(dirname "$(find "$PREFIX" -name 'liblumo.so.0' -print -quit 2>/dev/null)")
[[ -e $LIBDIR/liblumo.so.0 ]] || fail "no liblumo.so.0 under $PREFIX"
# The modules loaded on first use; the build tree's would hide a missing one.
for module in lumo-taglib.so lumo-print.so; do
    [[ -e $LIBDIR/lumo/$module ]] || fail "no lumo/$module beside the installed library"
done
PYTHON_DIR=$(dirname "$(find "$PREFIX/lib" -path '*python3*' -name lumo.py -print -quit)")
EXAMPLE=$(find "$PREFIX/share/doc" -name play_example.py -print -quit)
[[ -f $PYTHON_DIR/lumo.py && -f $EXAMPLE ]] || fail "the Python module or its example is not installed"

step "a demo library of generated tones"
make_tone_playlist "$WORK" "Demo Mix" 60

step "build the example hosts against $PREFIX"
cmake -S "$SOURCE/host/examples" -B "$WORK/hosts" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" \
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF > "$WORK/hosts.log" 2>&1 || { cat "$WORK/hosts.log"; fail "configure"; }
cmake --build "$WORK/hosts" >> "$WORK/hosts.log" 2>&1 || { cat "$WORK/hosts.log"; fail "build"; }
# Nothing may come from the build tree.
for host in play_playlist play_playlist_c; do
    if ldd "$WORK/hosts/$host" | grep -q "${BUILD:-/nonexistent}/lib/"; then fail "$host is linked to the build tree"; fi
done

play() {
    local out
    out=$("$@" 2>&1) || { printf '%s\n' "$out"; fail "$* exited $?"; }
    printf '%s\n' "$out"
    grep -qx "played" <<<"$out" || fail "$* did not play"
}

step "system registration: the C++ host plays"
[[ ! -e $XDG_DATA_HOME/lumo/classes ]] || fail "a user registration exists already"
play "$WORK/hosts/play_playlist" "Demo Mix"
step "system registration: the C host plays"
play "$WORK/hosts/play_playlist_c" "Demo Mix"
step "the C host says why a missing playlist is not activated"
out=$("$WORK/hosts/play_playlist_c" "No Such List" 2>&1) && fail "a missing playlist was activated"
grep -q "not activated: playlist error flags" <<<"$out" || fail "no reason given: $out"

step "lumo-host --register makes the user's registration"
"$PREFIX/bin/lumo-host" --register > "$WORK/register.json"
grep -q "Library=$LIBDIR/libLUMOAudioPlayer.so" "$XDG_DATA_HOME/lumo/classes/LUMOAudioPlayer.cLUMOAudio.class" \
    || fail "the user's registration does not name the installed library"
play "$WORK/hosts/play_playlist" "Demo Mix"

step "the Python example selects, activates and plays"
export PYTHONPATH=$PYTHON_DIR
[[ $LIBDIR == /usr/lib* ]] || export LUMO_CLIENT_LIBRARY=$LIBDIR/liblumo.so.0
play python3 "$EXAMPLE" --playlist "Demo Mix" --seconds 1

step "lumo-host --unregister; the system registration still serves"
"$PREFIX/bin/lumo-host" --unregister > /dev/null
[[ ! -e $XDG_DATA_HOME/lumo/classes/LUMOAudioPlayer.cLUMOAudio.class ]] || fail "still registered for the user"
play "$WORK/hosts/play_playlist_c" "Demo Mix"

printf '\ninstalled hosts: all passed\n'
