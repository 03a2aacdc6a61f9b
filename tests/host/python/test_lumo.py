"""The Python module over the built liblumo: calls by name, Ref arguments,
errors, the extension's seeking and events on generated audio, and the
example run headless on a generated playlist.

Run by ctest with LUMO_CLIENT_LIBRARY, LUMO_LIBRARY_FILE (the component),
LUMO_HOST (lumo-host) and LUMO_EXAMPLE set."""

import os
import struct
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
    return env


def generate(path, *source):
    subprocess.run(["gst-launch-1.0", "-q", *source, "!", "audio/x-raw,format=F32LE,rate=44100,channels=2", "!",
                    "wavenc", "!", "filesink", f"location={path}"], check=True)


def left_samples(path):
    """The left channel of raw stereo 32-bit float samples."""
    with open(path, "rb") as raw:
        data = raw.read()
    return [struct.unpack_from("<f", data, 8 * i)[0] for i in range(len(data) // 8)]


class Extension(unittest.TestCase):
    """Seeking and events, as a host without an event loop of its own uses
    them: DoEvents runs the loop while it waits."""

    def setUp(self):
        self.home = tempfile.TemporaryDirectory(prefix="lumo-extension-")
        root = self.home.name
        env = private_home(root)
        # Raw samples: a file format's writer would go back to its header at
        # a seek. (filesink itself starts over at a flushing seek.)
        self.capture = f"{root}/out.raw"
        env["LUMO_AUDIO_SINK"] = (f"audioconvert ! audio/x-raw,format=F32LE,channels=2 ! "
                                  f"filesink location=\"{self.capture}\" sync=true")
        os.environ.clear()
        os.environ.update(env)
        subprocess.run([env["LUMO_HOST"], "--library", env["LUMO_LIBRARY_FILE"], "--register"], check=True,
                       capture_output=True)
        # A rising line, 0.2 per second: each sample tells the time it was made for.
        generate(f"{root}/music/ramp.wav", "audiotestsrc", "wave=saw", "freq=0.1", "volume=1", "num-buffers=173")
        generate(f"{root}/music/tail.wav", "audiotestsrc", "num-buffers=20")
        with open(f"{root}/playlists/Ramp.m3u", "w") as playlist:
            playlist.write(f"{root}/music/ramp.wav\n{root}/music/tail.wav\n")
        self.audio = lumo.create()
        self.audio.Volume = 100

    def tearDown(self):
        self.audio.DoTerminate()
        self.audio.release()
        self.home.cleanup()

    def wait_for(self, state, seconds=15):
        for _ in range(seconds * 50):
            if self.audio.Playstate() == state:
                return
            self.audio.DoEvents(20)
        self.fail(f"the player never reached state {state}")

    def test_a_seek_lands_where_asked_and_the_events_tell_the_playlist(self):
        events = []
        cookie = self.audio.advise(lambda name, *args: events.append((name, *args)))
        self.assertTrue(self.audio.InitialisePL("", 0, "Ramp", 0, "", "", "", 2, 0, "", 0))
        self.audio.DoPlay()
        self.wait_for(3)
        self.audio.DoEvents(300)
        self.assertTrue(self.audio.CanSeek())
        self.assertAlmostEqual(self.audio.Duration(), 173 * 1024 / 44100, delta=0.01)
        self.audio.Position = 2.5
        self.audio.DoEvents(200)
        self.assertTrue(2.5 <= self.audio.Position() < 3.2, self.audio.Position())
        self.wait_for(8)
        self.audio.unadvise(cookie)
        with self.assertRaises(lumo.Error) as raised:
            self.audio.unadvise(cookie)
        self.assertEqual(raised.exception.code & 0xFFFFFFFF, 0x80040200)

        names = [event[0] for event in events]
        items = [event[1:] for event in events if event[0] == "CurrentItemChange"]
        self.assertEqual(items[:2], [(0, "ramp"), (1, "tail")], events)
        self.assertEqual(events[-2:], [("PlayStateChange", 8), ("EndOfPlaylist",)], events)
        self.assertLess(names.index("PlayStateChange"), names.index("EndOfPlaylist"))

        # The line after the seek: its first sample against its slope
        # (whatever the gain) is where the seek landed. It starts the file, or
        # where the line first jumps if the file kept what came before.
        samples = left_samples(self.capture)
        jumps = [i + 1 for i in range(len(samples) - 1) if abs(samples[i + 1] - samples[i]) > 0.01][:1]
        smooth = [at for at in [0] + jumps
                  if all(abs(samples[i + 1] - samples[i]) < 0.001 for i in range(at, at + 1000))]
        start = smooth[-1]
        slope = (samples[start + 1000] - samples[start]) / 1000 * 44100
        self.assertAlmostEqual(samples[start] / slope, 2.5, delta=0.05)

    def test_a_callback_that_raises_is_dropped_and_logged_once(self):
        calls = []

        def refuse(name, *args):
            calls.append(name)
            raise RuntimeError("no thanks")

        self.audio.advise(refuse)
        self.assertTrue(self.audio.InitialisePL("", 0, "Ramp", 0, "", "", "", 2, 0, "", 0))
        self.audio.DoPlay()
        self.wait_for(3)
        self.audio.DoEvents(200)
        self.assertEqual(len(calls), 1, calls)
        self.assertEqual(self.audio.Playstate(), 3, "the player went on")
        with open(f"{self.home.name}/LUMOAudioErrors.log", encoding="utf-8", errors="replace") as log:
            self.assertEqual(log.read().count("was dropped"), 1)


class Module(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.TemporaryDirectory(prefix="lumo-python-")
        env = private_home(cls.home.name)
        os.environ.clear()
        os.environ.update(env)
        subprocess.run([os.environ["LUMO_HOST"], "--library", os.environ["LUMO_LIBRARY_FILE"], "--register"],
                       check=True, capture_output=True)
        cls.audio = lumo.create()

    @classmethod
    def tearDownClass(cls):
        cls.audio.release()
        cls.home.cleanup()

    def test_properties_and_references(self):
        self.audio.Volume = 30
        self.assertEqual(self.audio.Volume(), 30)
        self.audio.volume = "45"  # names in any case, texts convert
        self.assertEqual(self.audio.Volume(), 45)
        volume, balance = lumo.Ref(70), lumo.Ref("-10")
        self.assertIsNone(self.audio.InitializeVolBal(volume, balance))
        self.assertEqual((volume.value, balance.value), (70, -10))
        self.assertEqual(self.audio.Balance(), -10)
        self.audio.Mute = True
        self.assertIs(self.audio.Mute(), True)
        self.audio.Mute = False
        self.assertIsInstance(self.audio.Version(), str)

    def test_errors_carry_the_code_and_the_argument(self):
        with self.assertRaises(lumo.Error) as raised:
            self.audio.NoSuchThing()
        self.assertEqual(raised.exception.code & 0xFFFFFFFF, 0x80020006)
        self.assertIn("NoSuchThing", str(raised.exception))
        with self.assertRaises(lumo.Error) as raised:
            self.audio.InitializeVolBal(lumo.Ref(1), lumo.Ref("left"))
        self.assertEqual(raised.exception.argument, 1)
        with self.assertRaises(lumo.Error):
            self.audio.DoPlay(1)
        with self.assertRaises(TypeError):
            self.audio.call("Volume", [1])
        with self.assertRaises(OverflowError):
            self.audio.Volume = 2**40
        with self.assertRaises(lumo.Error) as raised:
            lumo.create("Nobody.Registered")
        self.assertIn("not registered", str(raised.exception))


class Example(unittest.TestCase):
    def test_runs_headless_on_a_generated_playlist(self):
        with tempfile.TemporaryDirectory(prefix="lumo-example-") as root:
            env = private_home(root)
            subprocess.run([env["LUMO_HOST"], "--library", env["LUMO_LIBRARY_FILE"], "--register"], env=env,
                           check=True, capture_output=True)
            tone = f"{root}/music/tone.wav"
            subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", "num-buffers=60", "!",
                            "audio/x-raw,rate=44100,channels=2", "!", "wavenc", "!", "filesink",
                            f"location={tone}"], check=True)
            with open(f"{root}/playlists/Example.m3u", "w") as playlist:
                playlist.write(f"#EXTM3U\n{tone}\n")
            run = subprocess.run([sys.executable, env["LUMO_EXAMPLE"], "--playlist", "Example", "--seconds", "1"],
                                 env=env, capture_output=True, text=True, timeout=120)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
            self.assertIn("activated 'Example'", run.stdout)
            self.assertEqual(run.stdout.splitlines()[-1], "played")

            missing = subprocess.run([sys.executable, env["LUMO_EXAMPLE"], "--playlist", "Nothing"],
                                     env=env, capture_output=True, text=True, timeout=120)
            self.assertEqual(missing.returncode, 1)
            self.assertIn("not activated: playlist error flags", missing.stdout)


if __name__ == "__main__":
    unittest.main()
