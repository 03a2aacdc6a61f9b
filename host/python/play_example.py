#!/usr/bin/env python3
"""Selects a playlist, activates it and plays it, the way a host does.

    play_example.py                          choose in the selection dialog
    play_example.py --playlist "Demo Mix"    a standard playlist
    play_example.py --playlist Long --auto   an auto playlist
    play_example.py --cd D                   the disc in drive D:

Prints what it does, one line a step; exits 0 once the player has played,
1 when the choice was cancelled or could not be activated.
"""

import argparse
import sys
import time

import lumo

STANDARD, AUTO, CD = 0, 1, 2
BY_DRIVE_LETTER = 8
SHUFFLE_OFF = 2
PLAYING = 3


def select(audio, args):
    """The eight values of the selection dialog, or the ones given."""
    if args.playlist is None and args.cd is None:
        values = [lumo.Ref() for _ in range(8)]
        audio.SelectPlaylists(*values)
        kind, name, how, serial, volume, drive, shuffle, cancelled = (v.value for v in values)
        return None if cancelled else (kind, name, how, serial, volume, drive, shuffle)
    if args.cd is not None:
        return (CD, "", BY_DRIVE_LETTER, "", "", args.cd.rstrip(":"), SHUFFLE_OFF)
    return (AUTO if args.auto else STANDARD, args.playlist, 0, "", "", "", SHUFFLE_OFF)


def activate(audio, selection):
    kind, name, how, serial, volume, drive, shuffle = selection
    prompted, cdroms, player_error, flags = lumo.Ref(""), lumo.Ref(0), lumo.Ref(""), lumo.Ref(0)
    activated = audio.InitialisePL(prompted, lumo.Ref(kind), lumo.Ref(name), lumo.Ref(how), lumo.Ref(drive),
                                   lumo.Ref(serial), lumo.Ref(volume), lumo.Ref(shuffle), cdroms, player_error,
                                   flags)
    if not activated:
        print(f"not activated: playlist error flags {flags.value}"
              + (f", player error: {player_error.value}" if player_error.value else ""))
    return activated


def play(audio, seconds):
    audio.DoPlay()
    deadline = time.monotonic() + seconds
    played = False
    while time.monotonic() < deadline:
        played = played or audio.Playstate() == PLAYING
        time.sleep(0.05)
    audio.DoStop()
    return played


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--playlist", help="the name of a standard (or, with --auto, auto) playlist")
    parser.add_argument("--auto", action="store_true", help="the playlist is an auto playlist")
    parser.add_argument("--cd", metavar="DRIVE", help="the disc in this drive letter")
    parser.add_argument("--seconds", type=float, default=2.0, help="how long to play (default 2)")
    args = parser.parse_args()

    try:
        with lumo.create() as audio:
            print(f"created LUMO Audio Player {audio.Version()}")
            selection = select(audio, args)
            if selection is None:
                print("the selection was cancelled")
                return 1
            print(f"selected type {selection[0]} {selection[1] or selection[5]!r}")
            if not activate(audio, selection):
                return 1
            print(f"activated {audio.GetCurrentPlaylist()!r}")
            audio.Volume = 50
            played = play(audio, args.seconds)
            print("played" if played else "did not start playing")
            audio.DoTerminate()
            return 0 if played else 1
    except lumo.Error as error:
        print(f"error: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
