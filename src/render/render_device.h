// Opening the render device: seeding, resolution, Glide open, textures and the fixed state.
#pragma once

// Opens Glide full screen at the working resolution, chooses the background, loads and downloads
// the four textures, sets the plain colour mode and builds the scene.
void open_render_device();

// Builds the scene for a freshly opened device (the last step of open_render_device).
void build_scene();
