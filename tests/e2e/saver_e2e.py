#!/usr/bin/env python3
"""End-to-end tests of the saver: the real binary in a virtual X display with a window manager,
driven by xdotool and wmctrl as a user would drive it."""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile
import time
import unittest

BINARY = None


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def find_window(name, timeout=15.0):
    end = time.time() + timeout
    while time.time() < end:
        r = run(["xdotool", "search", "--onlyvisible", "--name", name])
        ids = [w for w in r.stdout.split() if w.strip()]
        if ids:
            return ids[0]
        time.sleep(0.2)
    return None


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_shows_pixels():
    """Whether the pointer's cursor, as the X server shows it now, has any pixel that is not
    fully transparent (read with the XFixes extension)."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes") or "libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                          ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        raise AssertionError("cannot open the X display")
    try:
        major, minor = ctypes.c_int(6), ctypes.c_int(0)
        if not xfixes.XFixesQueryVersion(display, ctypes.byref(major), ctypes.byref(minor)):
            raise AssertionError("the X server has no XFixes")
        image = xfixes.XFixesGetCursorImage(display)
        if not image:
            raise AssertionError("XFixes gave no cursor image")
        try:
            c = image.contents
            # Each pixel is ARGB in the low 32 bits of an unsigned long.
            return any((c.pixels[i] >> 24) & 0xFF for i in range(c.width * c.height))
        finally:
            x11.XFree(image)
    finally:
        x11.XCloseDisplay(display)


class Saver:
    """One saver process with its own settings folder."""

    def __init__(self, *args, env=None, unset=()):
        self.config = tempfile.mkdtemp(prefix="lumivex-e2e-")
        e = dict(os.environ)
        e["XDG_CONFIG_HOME"] = self.config
        e.setdefault("SDL_AUDIODRIVER", "dummy")
        if env:
            e.update(env)
        for name in unset:
            e.pop(name, None)
        self.log = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([BINARY, *args], env=e, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        self.window = None

    def wait_window(self):
        self.window = find_window("Lumivex")
        # Let the saver take its first frames and settle its focus.
        time.sleep(1.0)
        return self.window

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout=10):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait()
        self.log.close()


class SaverEndToEnd(unittest.TestCase):
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
        run(["xdotool", "mousemove", "512", "384"])
        self.saver = None

    def tearDown(self):
        if self.saver:
            self.saver.kill()

    def start(self, *args, **kw):
        self.saver = Saver(*args, **kw)
        return self.saver

    def test_key_ends_the_saver_with_code_0(self):
        s = self.start("/s")
        self.assertIsNotNone(s.wait_window(), "no saver window appeared")
        geometry = run(["xdotool", "getwindowgeometry", s.window]).stdout
        self.assertIn("1024x768", geometry, "the saver window does not cover the screen")
        self.assertTrue(s.running())
        run(["xdotool", "key", "--window", s.window, "a"])
        run(["xdotool", "key", "a"])
        self.assertEqual(s.wait(), 0)

    def test_small_mouse_moves_keep_it_large_moves_end_it(self):
        s = self.start()
        self.assertIsNotNone(s.wait_window())
        for dx in (10, 20, 30, 40, 30, 20, 10, 0):
            run(["xdotool", "mousemove", str(512 + dx), str(384 - dx)])
            time.sleep(0.1)
        time.sleep(0.5)
        self.assertTrue(s.running(), "moves within 50 pixels ended the saver")
        for i in range(8):
            run(["xdotool", "mousemove", str(100 + 100 * (i % 2)), "100"])
            time.sleep(0.15)
            if not s.running():
                break
        self.assertEqual(s.wait(), 0)

    def test_unknown_switches_end_at_once_without_a_window(self):
        for arg in ("/x", "/?"):
            s = Saver(arg)
            try:
                self.assertEqual(s.wait(), 0, arg)
                self.assertIsNone(find_window("Lumivex", timeout=0.5), arg)
            finally:
                s.kill()

    def test_window_manager_close_is_ignored(self):
        s = self.start("/s")
        self.assertIsNotNone(s.wait_window())
        run(["wmctrl", "-i", "-c", s.window])
        time.sleep(1.5)
        self.assertTrue(s.running(), "a close from the window manager ended the saver")
        run(["xdotool", "key", "Escape"])
        self.assertEqual(s.wait(), 0)

    def test_losing_activation_ends_the_saver(self):
        s = self.start("/s")
        self.assertIsNotNone(s.wait_window())
        other = subprocess.Popen(["xmessage", "-name", "OtherWindow", "-center", "hello"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            w = find_window("OtherWindow") or find_window("xmessage")
            self.assertIsNotNone(w, "the other window did not appear")
            run(["xdotool", "windowactivate", w])
            self.assertEqual(s.wait(), 0)
        finally:
            other.kill()
            other.wait()

    def test_the_cursor_is_hidden_over_the_running_saver(self):
        self.assertTrue(cursor_shows_pixels(), "the desktop shows no cursor to begin with")
        s = self.start("/s")
        self.assertIsNotNone(s.wait_window())
        self.assertFalse(cursor_shows_pixels(), "a cursor shows when the saver starts")
        for dx in (5, 10, 15):
            run(["xdotool", "mousemove", str(512 + dx), "384"])
            time.sleep(0.2)
        self.assertTrue(s.running())
        self.assertFalse(cursor_shows_pixels(), "a cursor shows after a small mouse move")
        run(["xdotool", "key", "a"])
        self.assertEqual(s.wait(), 0)

    def test_without_a_display_it_says_so_and_ends_with_1(self):
        # With no display to reach, SDL may fall back to a driver that shows nothing.
        s = self.start("/s", unset=("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"))
        code = s.wait(15)
        self.assertEqual(code, 1, "the saver kept running without a display")
        self.assertIn("no display", s.output())


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
