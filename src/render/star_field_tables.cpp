// The star field's fixed numbers, transcribed once; tests check the shapes they imply.
#include "render/star_field_tables.h"

const std::array<DriftKnot, 16> kDriftKnots = {{
    {0, 0, 0},
    {1, 0, 0},
    {2000, 500, 1000},
    {4000, 0, 0},
    {6000, -800, 100},
    {8000, 0, 0},
    {10000, -800, -1000},
    {12000, 1000, 0},
    {14000, 0, 2000},
    {16000, -1000, 1000},
    {18000, 1000, -1000},
    {20000, 1500, -500},
    {22000, 1000, -1000},
    {24000, -500, 0},
    {26000, 0, 1000},
    {28000, 0, 0},
}};

const std::array<StarColour, 4> kStarColours = {{
    {200, 200, 255},
    {255, 200, 200},
    {200, 255, 200},
    {255, 255, 255},
}};

const std::array<PointXY, 17> kGlowRim = {{
    {1, 0},
    {0.8f, 0.6f},
    {0.5f, 0.866f},
    {0.2f, 0.98f},
    {0, 1},
    {-0.2f, 0.98f},
    {-0.5f, 0.866f},
    {-0.8f, 0.6f},
    {-1, 0},
    {-0.8f, -0.6f},
    {-0.5f, -0.866f},
    {-0.2f, -0.98f},
    {0, -1},
    {0.2f, -0.98f},
    {0.5f, -0.866f},
    {0.8f, -0.6f},
    {1, 0},
}};

const std::array<PointXY, 11> kBigStarQuarter = {{
    {1, 0},
    {0.97f, 0.243f},
    {0.9f, 0.436f},
    {0.8f, 0.6f},
    {0.7f, 0.714f},
    {0.6f, 0.8f},
    {0.5f, 0.866f},
    {0.4f, 0.917f},
    {0.3f, 0.954f},
    {0.2f, 0.98f},
    {0, 1},
}};

namespace {
constexpr float kSide = 600.0f / 7.0f;
}

const std::array<PointXY, 9> kTunnelRingTemplate = {{
    {-200, -kSide},
    {-kSide, -200},
    {kSide, -200},
    {200, -kSide},
    {200, kSide},
    {kSide, 200},
    {-kSide, 200},
    {-200, kSide},
    {-200, -kSide},
}};
