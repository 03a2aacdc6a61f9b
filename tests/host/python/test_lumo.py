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
    """The shell tests' private home, registered, with the playlist Two of two tones (low, high)."""
    script = (f'source "{os.path.dirname(os.path.abspath(__file__))}/../private_home.sh"; use_private_home "$1"; '
              'make_tone_playlist "$1" Two 40; unset DBUS_SESSION_BUS_ADDRESS; '
              '"$LUMO_HOST" --library "$LUMO_LIBRARY_FILE" --register > /dev/null; env -0')
    out = subprocess.run(["bash", "-c", script, "bash", root], check=True, capture_output=True).stdout
    env = dict(line.split("=", 1) for line in out.decode().split("\0") if line)
    env["LUMO_CLIENT_LIBRARY"] = os.environ["LUMO_CLIENT_LIBRARY"]
    return env


class Module(unittest.TestCase):
    def test_calls_events_and_the_example(self):
        home = tempfile.TemporaryDirectory(prefix="lumo-python-")
        self.addCleanup(home.cleanup)
        env = private_home(home.name)
        os.environ.clear()
        os.environ.update(env)
        missing = subprocess.run([sys.executable, env["LUMO_EXAMPLE"], "--playlist", "Nothing"],
                                 env=env, capture_output=True, text=True, timeout=120)
        self.assertEqual(missing.returncode, 1)
        self.assertIn("not activated: playlist error flags", missing.stdout)

        audio = lumo.create()
        audio.volume = "45"  # names in any case, texts convert
        self.assertEqual(audio.Volume(), 45)
        volume, balance = lumo.Ref(70), lumo.Ref("-10")
        self.assertIsNone(audio.InitializeVolBal(volume, balance))
        self.assertEqual((volume.value, balance.value), (70, -10))
        audio.Mute = True
        self.assertIs(audio.Mute(), True)
        with self.assertRaises(lumo.Error) as raised:
            audio.InitializeVolBal(lumo.Ref(1), lumo.Ref("left"))
        self.assertEqual((raised.exception.code & 0xFFFFFFFF, raised.exception.argument), (0x80020005, 1))
        with self.assertRaises(TypeError):
            audio.call("Volume", [1])
        with self.assertRaises(OverflowError):
            audio.Volume = 2**40

        # Events tell the playlist; a callback that raises is dropped, once.
        events, calls = [], []

        def refuse(name, *args):
            calls.append(name)
            raise RuntimeError("no thanks")

        cookie = audio.advise(lambda name, *args: events.append((name, *args)))
        audio.advise(refuse)
        self.assertTrue(audio.InitialisePL("", 0, "Two", 0, "", "", "", 2, 0, "", 0))
        audio.DoPlay()
        for _ in range(750):
            if audio.Playstate() == 8:
                break
            audio.DoEvents(20)
        audio.DoEvents(20)  # a read that saw the end leaves its events to the loop
        audio.unadvise(cookie)
        items = [event[1:] for event in events if event[0] == "CurrentItemChange"]
        self.assertEqual(items[:2], [(0, "low"), (1, "high")], events)
        self.assertEqual(events[-2:], [("PlayStateChange", 8), ("EndOfPlaylist",)], events)
        self.assertEqual(len(calls), 1, calls)
        with open(f"{home.name}/LUMOAudioErrors.log", encoding="utf-8", errors="replace") as log:
            self.assertEqual(log.read().count("was dropped"), 1)
        audio.DoTerminate()
        audio.release()


if __name__ == "__main__":
    unittest.main()
