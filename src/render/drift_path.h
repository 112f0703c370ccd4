// The slow looping path the small stars drift along: two splines sampled at a time parameter.
#pragma once

#include "render/cubic_spline.h"

struct DriftPath {
    CubicSpline vertical;
    CubicSpline horizontal;
    // The time parameter and samples outlive a reopened device; only the splines are rebuilt.
    float t = 1.0f;
    float vertical_sample = 0.0f;
    float horizontal_sample = 0.0f;
    float previous_vertical = 0.0f;
    float previous_horizontal = 0.0f;
    float dv = 0.0f;  // change of the vertical sample over the last step
    float dh = 0.0f;  // change of the horizontal sample over the last step

    // Builds both splines over the 16 knots with flat ends.
    void build();
    // One frame's advance by `speed`; a speed of 0 or less leaves everything as it is.
    void step(int speed);
};
