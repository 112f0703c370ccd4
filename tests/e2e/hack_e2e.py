#!/usr/bin/env python3
"""End-to-end tests of hack mode: the real binary draws into a window that a helper program owns,
as XScreenSaver's daemon and its preview give one; the screen is read back with ImageMagick."""
import math
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

BINARY = None
HELPER = None
SCREEN = (1024, 768)
GREY = (0x80, 0x80, 0x80)  # the helper window's own background


def screen():
    """The whole screen as rows of (r, g, b) bytes. A virtual display under load now and then
    turns a connection away: the screenshot is tried again."""
    for _ in range(20):
        raw = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                             capture_output=True).stdout
        if len(raw) == SCREEN[0] * SCREEN[1] * 3:
            return raw
        time.sleep(0.1)
    raise AssertionError("no screenshot of the display")


def pixel(raw, x, y):
    i = (y * SCREEN[0] + x) * 3
    return raw[i], raw[i + 1], raw[i + 2]


def region_stats(raw, x0, y0, x1, y1, step=4):
    """How many sampled pixels are neither the helper's grey nor black, and how many colours."""
    drawn, colours, total = 0, set(), 0
    for y in range(y0, y1, step):
        for x in range(x0, x1, step):
            p = pixel(raw, x, y)
            total += 1
            colours.add(p)
            if p != GREY and max(p) > 24:
                drawn += 1
    return drawn / max(total, 1), len(colours)


def differs_outside(before, after, box):
    """Sampled pixels outside box = (x0, y0, x1, y1) that changed."""
    x0, y0, x1, y1 = box
    changed = []
    for y in range(0, SCREEN[1], 3):
        for x in range(0, SCREEN[0], 3):
            if x0 <= x < x1 and y0 <= y < y1:
                continue
            if pixel(before, x, y) != pixel(after, x, y):
                changed.append((x, y))
    return changed


def write_tone(path, seconds, rate=22050):
    frames = int(seconds * rate)
    data = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / rate)))
                    for i in range(frames))
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) +
                b"data" + struct.pack("<I", len(data)) + data)


class HelperWindow:
    def __init__(self, x, y, w, h):
        self.box = (x, y, x + w, y + h)
        self.proc = subprocess.Popen([HELPER, str(x), str(y), str(w), str(h)],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.id = self.proc.stdout.readline().strip()
        assert self.id.startswith("0x"), "the helper made no window"

    def command(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        return self.proc.stdout.readline().strip()

    def resize(self, w, h):
        x, y = self.box[0], self.box[1]
        self.box = (x, y, x + w, y + h)
        assert self.command("resize %d %d" % (w, h)) == "resized"

    def close(self):
        if self.proc.poll() is None:
            self.proc.stdin.close()
            self.proc.wait(timeout=10)
        self.proc.stdout.close()


class HackEndToEnd(unittest.TestCase):
    def setUp(self):
        self.config = tempfile.mkdtemp(prefix="lumivex-hack-e2e-")
        self.audio = os.path.join(self.config, "audio.raw")
        self.procs = []
        self.windows = []

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait()
            p.stdout.close()
        for w in self.windows:
            w.close()
        shutil.rmtree(self.config, ignore_errors=True)

    def configure_music(self):
        tone = os.path.join(self.config, "tone.wav")
        write_tone(tone, 30)
        folder = os.path.join(self.config, "lumivex")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "registry.reg"), "w") as f:
            f.write("Windows Registry Editor Version 5.00\n\n"
                    "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
                    '"PlayMP3"=dword:00000001\n'
                    '"Playlist"="%s"\n' % tone)

    def window(self, x, y, w, h):
        win = HelperWindow(x, y, w, h)
        self.windows.append(win)
        return win

    def hack(self, *args, env=None):
        e = dict(os.environ)
        e.update({"XDG_CONFIG_HOME": self.config, "SDL_AUDIODRIVER": "disk",
                  "SDL_DISKAUDIOFILE": self.audio})
        e.pop("XSCREENSAVER_WINDOW", None)
        e.update(env or {})
        p = subprocess.Popen([BINARY, *args], env=e, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
        self.procs.append(p)
        return p

    def audio_bytes(self):
        return os.path.getsize(self.audio) if os.path.exists(self.audio) else 0

    def assert_star_field_in(self, win, before, timeout=20):
        """The star field fills the window (waiting for the hack's first frames), moves, and
        nothing outside the window changed."""
        x0, y0, x1, y1 = win.box
        end = time.time() + timeout
        while True:
            after = screen()
            drawn, colours = region_stats(after, x0, y0, x1, y1)
            if (drawn > 0.3 and colours > 50) or time.time() > end:
                break
            time.sleep(0.25)
        self.assertGreater(drawn, 0.3, "the window does not show the star field")
        self.assertGreater(colours, 50, "the window shows too few colours for the star field")
        self.assertEqual(differs_outside(before, after, win.box), [],
                         "pixels outside the window changed")
        time.sleep(0.3)
        self.assertNotEqual(after, screen(), "the picture does not move")

    def test_window_id_draws_only_in_the_window_follows_its_size_and_ends_with_it(self):
        self.configure_music()
        win = self.window(100, 80, 400, 300)
        before = screen()
        p = self.hack("--window-id", win.id)
        self.assert_star_field_in(win, before)
        self.assertIsNone(p.poll(), "the hack ended by itself")
        self.assertEqual(self.audio_bytes(), 0, "the preview played music")

        # A wider window: the picture fills its height, keeps its aspect and leaves black bars.
        win.resize(800, 400)
        x0, y0 = win.box[0], win.box[1]
        picture_width = 400 * 640 // 480
        bar = (800 - picture_width) // 2
        end = time.time() + 10
        while True:
            raw = screen()
            drawn, _ = region_stats(raw, x0 + bar + 10, y0 + 310, x0 + bar + picture_width - 10,
                                    y0 + 390)
            left_bar, _ = region_stats(raw, x0 + 5, y0 + 5, x0 + bar - 5, y0 + 395)
            if (drawn > 0.3 and left_bar < 0.02) or time.time() > end:
                break
            time.sleep(0.25)
        self.assertGreater(drawn, 0.3, "the picture did not grow with the window")
        self.assertLess(left_bar, 0.02, "the picture does not keep its aspect")

        self.assertEqual(win.command("destroy"), "destroyed")
        self.assertEqual(p.wait(timeout=5), 0, p.stdout.read().decode(errors="replace"))

    def test_root_draws_into_the_daemon_window_plays_music_and_ends_on_sigterm(self):
        self.configure_music()
        win = self.window(300, 200, 320, 240)
        before = screen()
        p = self.hack("--root", env={"XSCREENSAVER_WINDOW": win.id})
        self.assert_star_field_in(win, before)
        self.assertIsNone(p.poll(), "the hack ended by itself")
        grown = self.audio_bytes()
        time.sleep(0.5)
        self.assertGreater(self.audio_bytes(), grown, "no music plays in --root")

        start = time.time()
        p.send_signal(signal.SIGTERM)
        self.assertEqual(p.wait(timeout=5), 0, p.stdout.read().decode(errors="replace"))
        self.assertLess(time.time() - start, 1.0, "SIGTERM took a second or more")
        ended = self.audio_bytes()
        time.sleep(0.5)
        self.assertEqual(self.audio_bytes(), ended, "audio went on after the end")

    def test_sigint_and_sighup_end_it_too_and_bad_options_are_refused(self):
        win = self.window(0, 0, 160, 120)
        for sig in (signal.SIGINT, signal.SIGHUP):
            p = self.hack("-window-id", win.id, "-fps")
            time.sleep(1.5)
            p.send_signal(sig)
            self.assertEqual(p.wait(timeout=5), 0, sig)
        p = self.hack("--root", "--speed", "9")
        self.assertEqual(p.wait(timeout=10), 2)
        self.assertIn("--speed takes a number from 0 to 4", p.stdout.read().decode())


if __name__ == "__main__":
    HELPER = os.path.abspath(sys.argv.pop(2))
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
