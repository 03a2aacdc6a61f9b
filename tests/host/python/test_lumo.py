"""The Python module over the built liblumo: calls by name, Ref arguments,
errors, and the example run headless on a generated playlist.

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
    return env


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
            with open(f"{root}/config/lumo/LUMO Player.ini", "w") as settings:
                settings.write(f"[Library]\nMusicFolders={root}/music\nPlaylistFolders={root}/playlists\n")
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
