#!/usr/bin/env python3
"""End-to-end test of the playlist editor on GTK: "lumivex /c" (or the test driver, which runs
Config mode the same way), "Playlist..." pressed from the keyboard, a file added by typing its
path and pressing Add, the list saved with Save List, and OK; driven with xdotool in a virtual X
display with a window manager, as a user would.

usage: playlist_editor_e2e.py PROGRAM SCREENSHOT-DIR [--lumivex]"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import settings_dialog_e2e as base  # noqa: E402  (its window, key and registry helpers)


def type_text(window, text):
    base.run(["xdotool", "windowactivate", "--sync", window])
    base.run(["xdotool", "type", "--delay", "20", text])
    time.sleep(0.3)


def wait_for(predicate, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return False


class PlaylistEditorE2E(unittest.TestCase):
    def setUp(self):
        self.music = tempfile.mkdtemp(prefix="lumivex-e2e-music-")
        self.addCleanup(shutil.rmtree, self.music, True)

    def start(self, reg=None):
        args = ("/c",) if base.LUMIVEX else ()
        d = base.Driver(*args, reg=reg)
        self.addCleanup(d.cleanup)
        return d

    def open_editor(self):
        settings = base.find_window("Lumivex Settings")
        self.assertIsNotNone(settings, "the settings dialog did not appear")
        time.sleep(0.5)
        # Tab to "Playlist..." (13 tab stops after the checked background) and press it.
        base.keys(settings, *(["Tab"] * 13), "space")
        editor = base.find_window("Edit Playlist")
        self.assertIsNotNone(editor, "Playlist... did not open the editor")
        time.sleep(1.5)
        return settings, editor

    def test_add_a_file_save_the_list_and_hand_it_over(self):
        song = os.path.join(self.music, "first song.mp3")
        with open(song, "wb") as f:
            f.write(b"\xff\xfb\x90\x00" + bytes(413))
        d = self.start()
        settings, editor = self.open_editor()
        base.screenshot("playlist_editor_empty.png")

        # Ctrl+L opens the location field for a typed path; Return is "Add", which keeps the
        # dialog open.
        base.keys(editor, "ctrl+l")
        time.sleep(0.5)
        type_text(editor, song)
        base.keys(editor, "Return")
        time.sleep(1.0)
        self.assertIsNone(d.proc.poll(), "Add closed the editor")
        # "C&D Track" shares its mnemonic with "&Down": the second Alt+D reaches it, and Space
        # presses it; it appends a CD track after the file.
        base.keys(editor, "alt+d", "alt+d", "space")
        time.sleep(0.5)
        base.screenshot("playlist_editor_added.png")

        # Save List (Alt+S) asks for a name; the default extension is added to it.
        base.keys(editor, "alt+s")
        save = base.find_window("Save List As")
        self.assertIsNotNone(save, "Save List did not open the save dialog")
        time.sleep(1.0)
        base.keys(save, "ctrl+a")
        type_text(save, os.path.join(self.music, "mix"))
        base.screenshot("save_list_as.png")
        base.keys(save, "Return")
        done = base.find_window("Sucess!")
        self.assertIsNotNone(done, "no message after saving")
        time.sleep(0.8)
        base.screenshot("save_list_done.png")
        base.keys(done, "Return")
        time.sleep(0.5)

        saved = os.path.join(self.music, "mix.LST")
        self.assertTrue(os.path.exists(saved), "the list was not saved")
        with open(saved, "rb") as f:
            self.assertEqual(f.read(), b"#n Lumivex\r\n%BASE_DIR%/first song.mp3\r\n\r\n"
                                       b"Track2.cda\r\n\r\n")
        values = base.registry_values(d.config)
        self.assertIsNotNone(values, "Save List stored nothing in the registry")
        self.assertEqual(values.get("Playlist"), '"%s"' % saved)

        # OK (Alt+O) closes the editor and leaves the settings dialog; Esc cancels that.
        base.keys(editor, "alt+o")
        self.assertTrue(wait_for(lambda: base.find_window("Edit Playlist", 0.5) is None),
                        "OK did not close the editor")
        base.keys(settings, "Escape")
        code, _ = d.finish()
        self.assertEqual(code, 0)
        # The settings dialog's Cancel keeps what Save List stored.
        self.assertEqual(base.registry_values(d.config).get("Playlist"), '"%s"' % saved)

    def test_load_list_shows_the_configured_playlist(self):
        frame = b"\xff\xfb\x90\x00" + bytes(413)
        for name in ("one.mp3", "two.mp3"):
            with open(os.path.join(self.music, name), "wb") as f:
                f.write(frame * 8)
        with open(os.path.join(self.music, "more.lst"), "w") as f:
            f.write("%BASE_DIR%/two.mp3\n")
        party = os.path.join(self.music, "party.m3u")
        with open(party, "w") as f:
            # The CD track cannot be opened here: the player says so, drops it and starts the
            # next entry, which the editor stops at once and leaves open.
            f.write("#n Party\nTrack1.cda\n%BASE_DIR%/one.mp3\n%BASE_DIR%/more.lst\n")
        reg = ("Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\Software\\Velt\\Lumivex Saver]\n"
               '"Playlist"="%s"\n' % party)
        d = self.start(reg=reg)
        settings, editor = self.open_editor()
        base.keys(editor, "alt+l")
        error = base.find_window("Error opening CD audio device", 10)
        if error:
            base.keys(error, "Return")
        time.sleep(1.0)
        base.screenshot("playlist_editor_loaded.png")
        base.keys(editor, "alt+o")
        self.assertTrue(wait_for(lambda: base.find_window("Edit Playlist", 0.5) is None),
                        "OK did not close the editor")
        base.keys(settings, "Escape")
        code, _ = d.finish()
        self.assertEqual(code, 0)
        with open(party) as f:
            self.assertIn("Track1.cda", f.read())  # loading never writes the file
        self.assertEqual(base.registry_values(d.config).get("Playlist"), '"%s"' % party)


def main():
    base.DRIVER, base.SHOTS = sys.argv[1], sys.argv[2]
    base.LUMIVEX = "--lumivex" in sys.argv[3:]
    os.environ["GSETTINGS_BACKEND"] = "memory"  # no session bus in the virtual display
    # Load List may start a piece for a moment (see the test): SDL's silent audio device then.
    os.environ["SDL_AUDIODRIVER"] = "dummy"
    # GTK's list of recently used files goes to a folder of the test's own.
    data = tempfile.mkdtemp(prefix="lumivex-e2e-data-")
    os.environ["XDG_DATA_HOME"] = data
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    try:
        unittest.main(argv=[sys.argv[0], "-v"])
    finally:
        wm.terminate()
        wm.wait()
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    main()
