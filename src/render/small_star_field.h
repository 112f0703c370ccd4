// The far layer: twinkling point stars and soft glow stars, moved together by the drift path.
#pragma once

#include <array>

#include "platform/glide/glide.h"
#include "render/render_random.h"

// A soft round spot: a closed fan of 16 triangles whose alpha falls from the centre to the rim.
struct GlowStar {
    static constexpr int kVertices = 18;  // centre, then rim 1..17 with 17 repeating 1
    std::array<GrVertex, kVertices> vertices{};
    float x = 0.0f;  // centre where it was scattered
    float y = 0.0f;
};

struct SmallStarField {
    static constexpr int kPointStars = 400;
    static constexpr int kGlowStars = 30;
    std::array<GrVertex, kPointStars> points{};
    std::array<GlowStar, kGlowStars> glow{};

    // Scatters every star over a w x h screen, with the draws in a fixed order.
    void scatter(RenderRandom& random, float w, float h);
    // One frame: drift by (dv, dh), twinkle, draw the first `live` point stars and every glow
    // star. `live` is held to 0..400.
    void move_and_draw(float dv, float dh, int live, RenderRandom& random, float w, float h);

    // The two drift moves, exposed for tests.
    void move_vertically(float d, int live, float w, float h);
    void move_horizontally(float d, int live, float w, float h);
};
