"""The Python module over the built liblumo: calls by name, Ref arguments,
errors as exceptions, and events on generated audio, as a host without an
event loop of its own uses them (DoEvents runs the loop while it waits).

Run by ctest with LUMO_CLIENT_LIBRARY, LUMO_LIBRARY_FILE (the component),
LUMO_HOST (lumo-host) and LUMO_EXAMPLE set."""

import os
import subprocess
import sys
import tempfile
import unittest

import lumo


def private_home(root):
    for folder in ("config/lumo", "data", "cache", "music", "playlists", "runtime"):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    os.chmod(os.path.join(root, "runtime"), 0o700)
    env = {k: v for k, v in os.environ.items()
           if not (k.startswith("XDG_") or k in ("HOME", "DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"))}
    env.update(HOME=root, XDG_CONFIG_HOME=f"{root}/config", XDG_DATA_HOME=f"{root}/data",
               XDG_CACHE_HOME=f"{root}/cache", XDG_RUNTIME_DIR=f"{root}/runtime",
               XDG_DATA_DIRS="/usr/local/share:/usr/share", LUMO_AUDIO_SINK="fakesink sync=true")
    with open(f"{root}/config/lumo/LUMO Player.ini", "w") as settings:
        settings.write(f"[Library]\nMusicFolders={root}/music\nPlaylistFolders={root}/playlists\n\n"
                       f"[Settings]\nINSTALLDIR={root}\n")
    subprocess.run([env["LUMO_HOST"], "--library", env["LUMO_LIBRARY_FILE"], "--register"], env=env, check=True,
                   capture_output=True)
    for name, buffers in (("one", 40), ("two", 20)):
        subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", f"num-buffers={buffers}", "!",
                        "audio/x-raw,rate=44100,channels=2", "!", "wavenc", "!", "filesink",
                        f"location={root}/music/{name}.wav"], check=True)
    with open(f"{root}/playlists/Two.m3u", "w") as playlist:
        playlist.write(f"{root}/music/one.wav\n{root}/music/two.wav\n")
    return env


class Module(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory(prefix="lumo-python-")
        self.env = private_home(self.home.name)
        os.environ.clear()
        os.environ.update(self.env)
        self.audio = lumo.create()

    def tearDown(self):
        self.audio.DoTerminate()
        self.audio.release()
        self.home.cleanup()

    def test_references_and_errors(self):
        self.audio.volume = "45"  # names in any case, texts convert
        self.assertEqual(self.audio.Volume(), 45)
        volume, balance = lumo.Ref(70), lumo.Ref("-10")
        self.assertIsNone(self.audio.InitializeVolBal(volume, balance))
        self.assertEqual((volume.value, balance.value), (70, -10))
        self.audio.Mute = True
        self.assertIs(self.audio.Mute(), True)
        with self.assertRaises(lumo.Error) as raised:
            self.audio.InitializeVolBal(lumo.Ref(1), lumo.Ref("left"))
        self.assertEqual((raised.exception.code & 0xFFFFFFFF, raised.exception.argument), (0x80020005, 1))
        with self.assertRaises(TypeError):
            self.audio.call("Volume", [1])
        with self.assertRaises(OverflowError):
            self.audio.Volume = 2**40
        with self.assertRaises(lumo.Error) as raised:
            lumo.create("Nobody.Registered")
        self.assertIn("not registered", str(raised.exception))

    def test_events_tell_the_playlist_and_a_callback_that_raises_is_dropped_once(self):
        events, calls = [], []

        def refuse(name, *args):
            calls.append(name)
            raise RuntimeError("no thanks")

        cookie = self.audio.advise(lambda name, *args: events.append((name, *args)))
        self.audio.advise(refuse)
        self.assertTrue(self.audio.InitialisePL("", 0, "Two", 0, "", "", "", 2, 0, "", 0))
        self.audio.DoPlay()
        for _ in range(750):
            if self.audio.Playstate() == 8:
                break
            self.audio.DoEvents(20)
        self.audio.unadvise(cookie)
        with self.assertRaises(lumo.Error) as raised:
            self.audio.unadvise(cookie)
        self.assertEqual(raised.exception.code & 0xFFFFFFFF, 0x80040200)
        items = [event[1:] for event in events if event[0] == "CurrentItemChange"]
        self.assertEqual(items[:2], [(0, "one"), (1, "two")], events)
        self.assertEqual(events[-2:], [("PlayStateChange", 8), ("EndOfPlaylist",)], events)
        self.assertEqual(len(calls), 1, calls)
        with open(f"{self.home.name}/LUMOAudioErrors.log", encoding="utf-8", errors="replace") as log:
            self.assertEqual(log.read().count("was dropped"), 1)

    def test_the_example_runs_headless(self):
        run = subprocess.run([sys.executable, self.env["LUMO_EXAMPLE"], "--playlist", "Two", "--seconds", "1"],
                             env=self.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertEqual(run.stdout.splitlines()[-1], "played")
        missing = subprocess.run([sys.executable, self.env["LUMO_EXAMPLE"], "--playlist", "Nothing"],
                                 env=self.env, capture_output=True, text=True, timeout=120)
        self.assertEqual(missing.returncode, 1)
        self.assertIn("not activated: playlist error flags", missing.stdout)


if __name__ == "__main__":
    unittest.main()
