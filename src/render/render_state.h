// The renderer's process-wide state: working copies of the settings, screen, textures, generator.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/glide/glide.h"
#include "render/big_star.h"
#include "render/drift_path.h"
#include "render/helix_tunnel.h"
#include "render/random_below.h"
#include "render/render_calls.h"
#include "render/render_random.h"
#include "render/small_star_field.h"

// One texture placed in texture memory: its Glide description, table and start address.
struct DeviceTexture {
    GrTexInfo info{};
    std::int32_t table_type = -1;
    std::array<std::uint8_t, 1024> table{};
    FxU32 start_address = 0;
    bool loaded = false;               // false when its resource failed to load: never downloaded
    std::vector<std::uint8_t> texels;  // kept only until the download
};

// Texture slots in texture-memory order.
enum TextureSlot { kStarImage1 = 0, kStarImage2 = 1, kStarImage3 = 2, kBackgroundTexture = 3 };

struct RenderState {
    // Working copies of the appearance settings, with the settings store's defaults. The
    // settings store writes each one when it reads the matching registry value.
    int show_background = 1;
    int background_number = 7;  // a BackgroundId, 0..8; may be replaced by a random choice
    int small_star_speed = 2;
    int small_star_number = 300;
    int large_star_number = 4;
    int show_trails = 1;
    int move_randomly = 1;
    int resolution = 0;  // 0 = 640x480, 1 = 800x600, 2 = 1024x768
    int random_background = 0;

    // The screen the device was opened with.
    float screen_width = 640.0f;
    float screen_height = 480.0f;
    GrScreenResolution_t resolution_code = GR_RESOLUTION_640x480;

    std::array<DeviceTexture, 4> textures{};
    RenderRandom random;

    RandomBelow random_below;

    // The scene. The drift parameter and samples, the tunnel's travel and scroll and the
    // move-randomly counter outlive a reopened device; the rest is rebuilt by it.
    DriftPath drift;
    SmallStarField small_stars;
    std::array<BigStar, 8> big_stars{};
    // The flat background's four corners (vertex 0 lower left, counter-clockwise).
    std::array<GrVertex, 4> flat_background{};
    HelixTunnel tunnel;
    int move_randomly_counter = 0;

    // Tests point this at a log to record the frame loop's Glide calls.
    GlideCallLog* call_log = nullptr;

    // The calendar time in seconds, for the random background; null uses the system clock.
    // lumivex-frames and tests set it to make runs repeatable.
    std::int64_t (*calendar_seconds)() = nullptr;
};

RenderState& render_state();
// Back to the state at process start (tests).
void reset_render_state();
// The calendar time in seconds, through the state's hook when one is set.
std::int64_t render_calendar_seconds();

// The resource id of a background number's texture (153 for numbers outside 0..8).
int background_resource_id(int background_number);
// Whether the background is drawn as the tunnel (the labels ending in 3D).
bool is_tunnel_background(int background_number);
bool is_flat_background(int background_number);
