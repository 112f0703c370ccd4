#!/usr/bin/env python3
"""End-to-end tests of the music: the real saver plays a playlist of two MPEG files through SDL's
disk audio driver, skips bad entries while it goes on drawing, and goes on without music when its
wave device cannot open."""
import hashlib
import math
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import wave

BINARY = None
DECODER = None
SHARED = None

# Two short streams of the same rate and channels (44.1 kHz stereo), so that one SDL device
# plays both and the disk driver records them in one file.
FILES = ("l3_44k_js128_music.mp3", "l2_44k_js128_crc_music.mp2")
FRAME_BYTES = 1152 * 2 * 2  # one frame of 1152 samples, 16 bits, two channels
CHUNK = 4096  # SDL's chunk of 1024 stereo 16-bit frames


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def find_window(name, timeout):
    end = time.time() + timeout
    while time.time() < end:
        r = run(["xdotool", "search", "--onlyvisible", "--name", name])
        ids = [w for w in r.stdout.split() if w.strip()]
        if ids:
            return ids[0]
        time.sleep(0.2)
    return None


def write_settings(config, playlist):
    folder = os.path.join(config, "lumivex")
    os.makedirs(folder, exist_ok=True)
    value = playlist.replace("\\", "\\\\").replace('"', '\\"')
    with open(os.path.join(folder, "registry.reg"), "w") as f:
        f.write("Windows Registry Editor Version 5.00\n\n"
                "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
                '"PlayMP3"=dword:00000001\n'
                '"Playlist"="%s"\n' % value)


def decoded(path, work):
    out = os.path.join(work, os.path.basename(path) + ".raw")
    r = run([DECODER, path, out])
    if r.returncode != 0:
        raise AssertionError("lumivex-decode failed on %s: %s" % (path, r.stderr))
    with open(out, "rb") as f:
        return f.read()


def padded(pcm):
    """A piece as the player plays it: its last buffer of 32 frames filled up with silence."""
    assert len(pcm) % FRAME_BYTES == 0, "decoded length is not whole frames"
    frames = len(pcm) // FRAME_BYTES
    return pcm + bytes(((32 - frames % 32) % 32) * FRAME_BYTES)


def write_tone(path, frames):
    """A 44.1 kHz stereo 16-bit wave file of a 440 Hz tone; returns its samples."""
    pcm = bytearray()
    for n in range(frames):
        v = int(12000 * math.sin(2 * math.pi * 440 * n / 44100))
        pcm += v.to_bytes(2, "little", signed=True) * 2
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(44100)
        w.writeframes(bytes(pcm))
    return bytes(pcm)


def screen():
    """A digest of the whole screen's pixels. A virtual display under load now and then turns a
    connection away: the screenshot is tried again."""
    for _ in range(20):
        shot = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                              capture_output=True)
        if shot.returncode == 0 and shot.stdout:
            return hashlib.sha1(shot.stdout).hexdigest()
        time.sleep(0.1)
    raise AssertionError("no screenshot of the display")


def wait_for_recording(saver, recording, length, timeout=60):
    """Waits until the disk driver's file holds at least `length` bytes and has not grown for
    two seconds (the device, parked for half a second after the last piece, has been closed);
    returns its size. The saver must keep running meanwhile."""
    size, still_since, end = -1, time.time(), time.time() + timeout
    while time.time() < end:
        now = os.path.getsize(recording) if os.path.exists(recording) else 0
        if now != size:
            size, still_since = now, time.time()
        elif size >= length and time.time() - still_since > 2.0:
            break
        if saver.proc.poll() is not None:
            raise AssertionError("the saver ended: " + saver.stderr())
        time.sleep(0.1)
    return size


def find_in_recording(recording, expected):
    """The offset of `expected` in the recording when the recording is that, preceded by whole
    chunks of silence and followed by nothing but silence; else None."""
    zero_chunk = bytes(CHUNK)
    offset = 0
    while True:
        end = offset + len(expected)
        if recording[offset:end] == expected and not recording[end:].strip(b"\0"):
            return offset
        if recording[offset:offset + CHUNK] != zero_chunk:
            return None
        offset += CHUNK


class Saver:
    def __init__(self, env):
        self.config = tempfile.mkdtemp(prefix="lumivex-music-e2e-")
        e = dict(os.environ)
        e["XDG_CONFIG_HOME"] = self.config
        e.update(env)
        self.env = e
        self.proc = None
        self.err = tempfile.TemporaryFile()

    def start(self):
        # A group of its own: SDL shows a box from a worker thread in a child process.
        self.proc = subprocess.Popen([BINARY, "/s"], env=self.env, stdout=subprocess.DEVNULL,
                                     stderr=self.err, start_new_session=True)

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def stderr(self):
        self.err.seek(0)
        return self.err.read().decode(errors="replace")

    def close(self):
        if self.proc and self.proc.poll() is None:
            # Still running: the whole group, the box's process with it.
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
        self.err.close()
        shutil.rmtree(self.config, ignore_errors=True)


class MusicEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        time.sleep(1.0)

    @classmethod
    def tearDownClass(cls):
        cls.wm.terminate()
        cls.wm.wait()

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="lumivex-music-work-")
        run(["xdotool", "mousemove", "512", "384"])
        self.saver = None

    def tearDown(self):
        if self.saver:
            self.saver.close()
        shutil.rmtree(self.work, ignore_errors=True)

    def conformance_files(self):
        folder = os.path.join(SHARED, "conformance", "encoded")
        paths = [os.path.join(folder, name) for name in FILES]
        if not all(os.path.isfile(p) for p in paths):
            self.skipTest("the shared conformance streams are not there (%s)" % folder)
        return paths

    def playlist(self, paths):
        path = os.path.join(self.work, "list.m3u")
        with open(path, "w") as f:
            f.write("".join(p + "\n" for p in paths))
        return path

    def test_the_playlist_plays_in_order_each_piece_with_its_padding(self):
        files = self.conformance_files()
        expected = b"".join(padded(decoded(p, self.work)) for p in files)
        recording = os.path.join(self.work, "played.raw")
        self.saver = Saver({"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": recording,
                            "SDL_DISKAUDIODELAY": "0"})
        write_settings(self.saver.config, self.playlist(files))
        self.saver.start()
        self.assertIsNotNone(find_window("Lumivex", 15.0), "no saver window appeared")

        # The driver writes as fast as it is fed.
        size = wait_for_recording(self.saver, recording, len(expected))
        self.assertGreaterEqual(size, len(expected), "too little was played")

        run(["xdotool", "key", "a"])
        self.assertEqual(self.saver.wait(15), 0, self.saver.stderr())
        with open(recording, "rb") as f:
            played = f.read()
        offset = find_in_recording(played, expected)
        self.assertIsNotNone(offset, "the recording (%d bytes) is not the two decoded pieces "
                                     "(%d bytes) in order with their padding"
                             % (len(played), len(expected)))

    def test_a_wave_file_is_heard_to_its_last_sample_and_the_next_entry_follows(self):
        mp3 = self.conformance_files()[0]
        after = padded(decoded(mp3, self.work))
        tone = os.path.join(self.work, "tone.wav")
        first = write_tone(tone, 57330)  # 1.3 s: its last 1,010 frames do not fill a chunk
        recording = os.path.join(self.work, "played.raw")
        self.saver = Saver({"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": recording,
                            "SDL_DISKAUDIODELAY": "0"})
        write_settings(self.saver.config, self.playlist([tone, mp3]))
        self.saver.start()
        self.assertIsNotNone(find_window("Lumivex", 15.0), "no saver window appeared")
        wait_for_recording(self.saver, recording, len(first) + len(after))
        run(["xdotool", "key", "a"])
        self.assertEqual(self.saver.wait(15), 0, self.saver.stderr())
        with open(recording, "rb") as f:
            played = f.read()
        at = played.find(first)
        self.assertGreaterEqual(at, 0, "the tone was not heard whole")
        then = played.find(after, at + len(first))
        self.assertGreaterEqual(then, 0, "the MP3 did not follow the tone")
        self.assertFalse(played[at + len(first):then].strip(b"\0"), "sound between the pieces")
        self.assertFalse(played[then + len(after):].strip(b"\0"), "sound after the MP3")

    def test_bad_entries_are_skipped_while_frames_are_drawn_and_the_mp3_plays_whole(self):
        mp3 = self.conformance_files()[0]
        expected = padded(decoded(mp3, self.work))
        missing = os.path.join(self.work, "missing.mp3")
        noise = os.path.join(self.work, "noise.mp3")
        with open(noise, "wb") as f:
            f.write(random.Random(4).randbytes(65536))
        recording = os.path.join(self.work, "played.raw")
        # The disk driver in real time: the piece plays for three seconds while frames are drawn.
        self.saver = Saver({"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": recording})
        write_settings(self.saver.config, self.playlist([missing, noise, mp3]))
        self.saver.start()
        self.assertIsNotNone(find_window("Lumivex", 15.0), "no saver window appeared")

        before = screen()
        for _ in range(4):
            time.sleep(0.4)
            now = screen()
            self.assertNotEqual(now, before, "the animation stands still")
            before = now
        size = wait_for_recording(self.saver, recording, len(expected))
        self.assertGreaterEqual(size, len(expected), "too little was played")
        self.assertNotEqual(screen(), before, "the animation stands still")

        run(["xdotool", "key", "a"])
        self.assertEqual(self.saver.wait(15), 0, self.saver.stderr())
        with open(recording, "rb") as f:
            played = f.read()
        # Whatever the bad entries gave, the MP3 is there whole, and nothing but silence after it.
        at = played.find(expected)
        self.assertGreaterEqual(at, 0, "the MP3 was not played whole")
        self.assertFalse(played[at + len(expected):].strip(b"\0"), "sound after the MP3")
        # Each message is one line on standard error.
        lines = self.saver.stderr().splitlines()
        self.assertTrue(any("Invalid file in playlist" in line and missing in line and
                            "Continue to warn?" in line for line in lines), lines)

    def test_a_wave_device_that_cannot_open_leaves_the_saver_running_without_music(self):
        files = self.conformance_files()
        self.saver = Saver({"SDL_AUDIODRIVER": "nonexistent"})
        write_settings(self.saver.config, self.playlist(files[:1]))
        self.saver.start()
        self.assertIsNotNone(find_window("Lumivex", 15.0), "no saver window appeared")
        end = time.time() + 15
        while "Could not open wave device." not in self.saver.stderr() and time.time() < end:
            self.assertIsNone(self.saver.proc.poll(), "the saver ended: " + self.saver.stderr())
            time.sleep(0.2)
        self.assertIn("Audio playback error: Could not open wave device.", self.saver.stderr())
        time.sleep(2.0)
        self.assertIsNone(self.saver.proc.poll(), "the saver ended: " + self.saver.stderr())
        before = screen()
        time.sleep(0.4)
        self.assertNotEqual(screen(), before, "the animation stands still")
        run(["xdotool", "key", "a"])
        self.assertEqual(self.saver.wait(15), 0, self.saver.stderr())

if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    DECODER = os.path.abspath(sys.argv.pop(1))
    SHARED = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
