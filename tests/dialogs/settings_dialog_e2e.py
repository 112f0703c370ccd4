#!/usr/bin/env python3
"""End-to-end tests of the settings dialog on GTK: the test driver (Config mode in small), or the
real program with /c, in a virtual X display with a window manager, driven from the keyboard
with xdotool as a user would.

usage: settings_dialog_e2e.py PROGRAM SCREENSHOT-DIR [--lumivex]
With --lumivex, PROGRAM is the saver itself: it is started with /c, and the tests that need the
driver's other modes are skipped."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

DRIVER = None
SHOTS = None
LUMIVEX = False


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, **kw)


def find_window(name, timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        r = run(["xdotool", "search", "--onlyvisible", "--name", name])
        ids = [w for w in r.stdout.split() if w.strip()]
        if ids:
            return ids[-1]
        time.sleep(0.2)
    return None


def screenshot(name):
    os.makedirs(SHOTS, exist_ok=True)
    path = os.path.join(SHOTS, name)
    run(["import", "-window", "root", path])
    return path


def keys(window, *names):
    run(["xdotool", "windowactivate", "--sync", window])
    for k in names:
        run(["xdotool", "key", "--clearmodifiers", k])
        time.sleep(0.15)


def registry_values(config):
    """The saver key's values of the registry file, as name -> text after the '='."""
    path = os.path.join(config, "lumivex", "registry.reg")
    if not os.path.exists(path):
        return None
    with open(path, encoding="latin-1") as f:
        text = f.read()
    values, in_key = {}, False
    for line in text.splitlines():
        if line.startswith("["):
            in_key = line.strip() == "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]"
            continue
        m = re.match(r'^"([^"]+)"=(.*)$', line)
        if in_key and m:
            values[m.group(1)] = m.group(2)
    return values


class Driver:
    """One driver process with a settings folder of its own."""

    def __init__(self, *args, reg=None):
        self.config = tempfile.mkdtemp(prefix="lumivex-dialog-e2e-")
        if reg is not None:
            os.makedirs(os.path.join(self.config, "lumivex"))
            with open(os.path.join(self.config, "lumivex", "registry.reg"), "w") as f:
                f.write(reg)
        env = dict(os.environ, XDG_CONFIG_HOME=self.config, NO_AT_BRIDGE="1")
        if LUMIVEX and not args:
            args = ("/c",)
        self.proc = subprocess.Popen([DRIVER, *args], env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True)

    def finish(self, timeout=15):
        try:
            out, err = self.proc.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            out, err = self.proc.communicate()
            raise AssertionError("the driver did not end: " + err)
        return self.proc.returncode, out

    def cleanup(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.config, ignore_errors=True)


def driver_only(test):
    """Skips a test that needs the driver's other modes when the program is the saver."""
    def run_unless_lumivex(self):
        if LUMIVEX:
            self.skipTest("needs the test driver")
        test(self)
    run_unless_lumivex.__name__ = test.__name__
    return run_unless_lumivex


class SettingsDialogE2E(unittest.TestCase):
    def start(self, *args, reg=None):
        d = Driver(*args, reg=reg)
        self.addCleanup(d.cleanup)
        return d

    def test_return_saves_the_shown_settings(self):
        d = self.start()
        w = find_window("Lumivex Settings")
        self.assertIsNotNone(w, "the settings dialog did not appear")
        time.sleep(1.0)
        screenshot("settings_dialog.png")
        keys(w, "Return")
        code, _ = d.finish()
        self.assertEqual(code, 0)
        values = registry_values(d.config)
        self.assertIsNotNone(values, "OK wrote no registry file")
        expected = {
            "Show Background": 1, "Background Number": 7, "Small Star Speed": 2,
            "Small Star Number": 300, "Large Star Number": 4, "Show Trails": 1,
            "Resolution": 0, "PlayMP3": 0, "RepeatMP3": 0, "Random": 0, "Move Random": 1,
        }
        for name, value in expected.items():
            self.assertEqual(values.get(name), "dword:%08x" % value, name)

    def test_keyboard_changes_are_saved_and_escape_saves_nothing(self):
        reg = ("Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
               '"Resolution"=dword:00000002\n"Playlist"="/music/list.m3u"\n')
        d = self.start(reg=reg)
        w = find_window("Lumivex Settings")
        self.assertIsNotNone(w)
        time.sleep(0.5)
        # Down moves to "Colored plasma 3D" and checks it; Tab reaches "Show background";
        # Space clears it; Return is OK.
        keys(w, "Down", "Tab", "space")
        time.sleep(0.3)
        screenshot("settings_dialog_changed.png")
        keys(w, "Return")
        code, _ = d.finish()
        self.assertEqual(code, 0)
        values = registry_values(d.config)
        self.assertEqual(values.get("Background Number"), "dword:00000005")
        self.assertEqual(values.get("Show Background"), "dword:00000000")
        self.assertEqual(values.get("Resolution"), "dword:00000002")
        self.assertEqual(values.get("Playlist"), '"/music/list.m3u"')

        d = self.start()
        w = find_window("Lumivex Settings")
        self.assertIsNotNone(w)
        time.sleep(0.5)
        keys(w, "Down", "Escape")
        code, _ = d.finish()
        self.assertEqual(code, 0)
        self.assertIsNone(registry_values(d.config), "Cancel wrote the registry")

    @driver_only
    def test_message_boxes_are_gtk_message_dialogs(self):
        d = self.start("--message-box", "The playlist could not be saved.", "Save List",
                       str(0x30 | 0x04))  # MB_ICONWARNING | MB_YESNO
        w = find_window("Save List")
        self.assertIsNotNone(w, "no message box appeared")
        time.sleep(0.8)
        screenshot("message_box.png")
        keys(w, "Return")  # the first button, Yes, is the default and has the focus
        code, out = d.finish()
        self.assertEqual(code, 0)
        self.assertEqual(out.strip(), "6")  # IDYES

        d = self.start("--message-box", "Continue to warn?", "Invalid file",
                       str(0x30 | 0x04 | 0x100))  # and MB_DEFBUTTON2: No
        w = find_window("Invalid file")
        self.assertIsNotNone(w)
        time.sleep(0.5)
        keys(w, "Return")
        code, out = d.finish()
        self.assertEqual(out.strip(), "7")  # IDNO

    @driver_only
    def test_a_message_box_of_the_dialog_is_owned_by_it(self):
        d = self.start("--editor-says", "Are you sure you want to delete all list items?")
        w = find_window("Lumivex Settings")
        self.assertIsNotNone(w)
        time.sleep(0.5)
        # Tab through to "Playlist..." and press it: 1062, 1000, 1060, 1042, 1043, 1044,
        # 1057, 1059, 1026, 1061, 1028, 1020, 1019, 1045.
        keys(w, *(["Tab"] * 13), "space")
        box = find_window("^Lumivex$")
        self.assertIsNotNone(box, "the dialog's message box did not appear")
        time.sleep(0.8)
        screenshot("dialog_message_box.png")
        keys(box, "Escape")  # a Yes/No box closed without a button answers No
        time.sleep(0.5)
        keys(w, "Escape")
        code, out = d.finish()
        self.assertEqual(code, 0)
        self.assertEqual(out.strip(), "7")  # IDNO

    @driver_only
    def test_file_dialog_holds_the_child_dialog_and_stays_open_after_add(self):
        folder = tempfile.mkdtemp(prefix="lumivex-e2e-music-")
        self.addCleanup(shutil.rmtree, folder, True)
        song = os.path.join(folder, "song one.mp3")
        with open(song, "wb") as f:
            f.write(b"\xff\xfb\x90\x00")
        d = self.start("--edit-playlist-frame")
        w = find_window("Edit Playlist")
        self.assertIsNotNone(w, "the file dialog did not appear")
        time.sleep(1.5)
        screenshot("edit_playlist_frame.png")
        # Ctrl+L opens the location field (typing "/" would too, but its first characters can
        # be lost while the field appears); Return is "Add", which keeps the dialog open.
        keys(w, "ctrl+l")
        time.sleep(0.5)
        run(["xdotool", "type", "--delay", "20", song])
        time.sleep(0.3)
        keys(w, "Return")
        time.sleep(1.0)
        self.assertIsNone(d.proc.poll(), "Add closed the dialog")
        screenshot("edit_playlist_frame_added.png")
        keys(w, "alt+c")  # the child's own Cancel closes the file dialog
        code, out = d.finish()
        self.assertEqual(code, 0)
        lines = out.splitlines()
        self.assertIn(song + "|", lines)
        self.assertEqual(lines[-1], "result 0")


def main():
    global DRIVER, SHOTS, LUMIVEX
    DRIVER, SHOTS = sys.argv[1], sys.argv[2]
    LUMIVEX = "--lumivex" in sys.argv[3:]
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    try:
        unittest.main(argv=[sys.argv[0], "-v"])
    finally:
        wm.terminate()
        wm.wait()


if __name__ == "__main__":
    main()
