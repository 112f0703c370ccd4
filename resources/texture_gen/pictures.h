// The procedural pictures behind the fifteen textures (256x256, row 0 at the top).
#pragma once

#include "resources/texture_gen/image.h"

constexpr int kSize = 256;

// Backgrounds. The tunnel ones tile in both directions: the tunnel wraps them around its wall
// and along its length.
Image picture_lightning();       // tunnel
Image picture_clouds();          // flat
Image picture_white_nebula();    // flat
Image picture_spiral_vortex();   // tunnel
Image picture_spiral_galaxy();   // flat
Image picture_colored_plasma();  // tunnel
Image picture_red_clouds();      // tunnel
Image picture_blue_red();        // tunnel
Image picture_star_tunnel();     // tunnel

// Big-star images: a glowing star filling the texture's inscribed circle, soft towards the rim.
Image picture_star_glow(Rgb core, Rgb glow, unsigned seed);

// The three textures nothing draws.
Image picture_aurora();
Image picture_ice();
Image picture_ember();
