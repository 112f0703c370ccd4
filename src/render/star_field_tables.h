// The star field's fixed numbers: drift knots, star colours, glow-star and big-star shapes, the
// tunnel's ring outline.
#pragma once

#include <array>

struct PointXY {
    float x;
    float y;
};

// The drift path's 16 knots: time, vertical value, horizontal value.
struct DriftKnot {
    double t;
    double vertical;
    double horizontal;
};
extern const std::array<DriftKnot, 16> kDriftKnots;

// The four star colours, chosen by a draw modulo 4.
struct StarColour {
    float r, g, b;
};
extern const std::array<StarColour, 4> kStarColours;

// A glow star's rim directions for vertices 1 to 17 (17 repeats 1, closing the fan).
extern const std::array<PointXY, 17> kGlowRim;

// A big star's first quarter of rim directions, 0 to 10, counter-clockwise from +x.
extern const std::array<PointXY, 11> kBigStarQuarter;

// The tunnel's octagonal ring outline, nine points with the last repeating the first.
extern const std::array<PointXY, 9> kTunnelRingTemplate;
