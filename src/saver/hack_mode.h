// Hack mode: the saver's frame loop in a window a screen-saver daemon owns.
#pragma once

#include "saver/hack_options.h"

// Asked once before every frame; true ends the hack (a signal came, or the window is gone).
using HackEndRequested = bool (*)();

// Reads the settings, lays the options over them for this run only (nothing is written), opens
// the render device and, with --root, the music as configured; then draws frames until
// end_requested says so, stops the music, closes the device and returns the exit status: 0, or
// 1 when the render device cannot show frames in the window.
// The platform has made the window the device presents into before this is called.
int run_hack(const HackOptions& options, HackEndRequested end_requested);

// The stored settings with the options laid over them (part of run_hack, on its own for tests):
// the settings record and the renderer's and the player's working copies.
struct SaverSettings;
void apply_hack_options(const HackOptions& options, SaverSettings& settings);
