// The 3-D backgrounds: an endless octagonal tube winding in a helix, flown through at a steady
// speed, with the picture mapped on its inside and scrolling along it.
#pragma once

#include <array>
#include <cstdint>

#include "platform/glide/glide.h"

struct DeviceTexture;

struct HelixTunnel {
    static constexpr int kRings = 130;
    static constexpr int kRingVertices = 9;  // eight corners and the first again
    static constexpr float kRingSpacing = 1200.0f / 7.0f;
    static constexpr float kLength = 22285.715f;
    static constexpr std::int32_t kSpeed = 20;
    static constexpr float kEyeDistance = 300.0f;
    static constexpr float kProjection = 600.0f;
    static constexpr float kHelixX = 140.0f;
    static constexpr float kHelixY = 85.0f;
    static constexpr float kTurnPerUnit = 0.0020362176f;  // 20 degrees per ring spacing

    using Ring = std::array<GrVertex, kRingVertices>;
    std::array<Ring, kRings> rings{};      // world positions; only x, y, z are used
    std::array<Ring, kRings> projected{};  // screen positions, rewritten every frame
    // Whether each projected vertex could be placed on the screen: false for one at or behind
    // the eye, or one so close that its position is not a usable number.
    std::array<std::array<bool, kRingVertices>, kRings> usable{};
    std::array<int, kRings> order{};  // slot 0 holds the nearest ring, slot 129 the farthest
    std::int32_t travel = 0;
    std::int32_t scroll = 0;

    // Rings back to their start positions; travel and scroll stay.
    void reset();
    // One frame: advance, recycle a passed ring, project and draw with `picture` on a w x h
    // screen; the cull mode is left at positive.
    void draw(const DeviceTexture& picture, float w, float h);

    // The texture s at the near and far ring of the band in `slot`: the picture runs once along
    // the 130 slots and slides one slot a frame; the band where it starts again gets a sliver.
    static void band_texture_s(std::int32_t scroll, int slot, int* s_near, int* s_far);

    // The steps of draw, exposed for tests.
    void advance();
    void recycle();
    void project(float w, float h);
};
