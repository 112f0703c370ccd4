// Tileable gradient noise and its sums, for the procedural textures.
#pragma once

// Gradient noise at (x, y), repeating every period_x, period_y lattice cells; about -1..1.
float noise2(float x, float y, int period_x, int period_y, unsigned seed);

// Sum of `octaves` noise layers, each twice the frequency and `gain` times the amplitude of the
// one before; the result repeats every `period` units in both directions. Roughly -1..1.
float fbm(float x, float y, int period, int octaves, unsigned seed, float gain = 0.5f);

// Ridged sum: sharp bright creases where the noise crosses zero (lightning, veins). 0..1.
float ridged(float x, float y, int period, int octaves, unsigned seed, float gain = 0.5f);
