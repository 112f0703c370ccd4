// The hack's --fps display: frames per second and the process's CPU load in a corner.
#pragma once

#include <cstdint>

// Counts one frame and draws the last second's figures, two lines of a small built-in font at
// the lower left of the frame (RGB565, top row first). Fits the Glide frame-overlay hook.
void draw_fps_overlay(std::uint16_t* pixels, int width, int height, int stride);
