// Paints the star-field picture of the settings dialog (bitmap 152) as floating-point RGB.
#pragma once

#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  // linear light, top row first, three values a pixel

    float* at(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// The saver's scene in small: deep space with a blue and red nebula, twinkling point stars,
// glow stars and big stars with flares that shed fading trails. Same picture on every run.
Picture paint_star_field(int width, int height);

// Linear light to 8-bit sRGB, with a soft shoulder so bright cores keep their colour.
std::vector<unsigned char> tone_map(const Picture& picture);
