// The Glide calls the frame loop makes, through one seam: a test can record the stream of calls
// with their vertices and compare scenes by geometry rather than by pixels.
#pragma once

#include <array>
#include <vector>

#include "platform/glide/glide.h"

struct DeviceTexture;

enum class GlideCallKind {
    BufferClear,
    BufferSwap,
    CullMode,
    ColorCombine,
    TexSource,
    DrawTriangle,
    AADrawTriangle,
    DrawTriangleWithClip,
    DrawPoint,
    AADrawPoint,
};

// One call: its integer arguments (in the call's order) and the vertices it was given.
struct GlideCall {
    GlideCallKind kind{};
    std::array<int, 5> args{};
    int vertex_count = 0;
    std::array<GrVertex, 3> vertices{};

    bool operator==(const GlideCall& other) const;
};

// Where recorded calls go. With `forward` off the device is not called at all.
struct GlideCallLog {
    std::vector<GlideCall> calls;
    bool forward = true;
};

void clear_buffer();
void swap_buffer();
void set_cull_mode(GrCullMode_t mode);
void set_color_combine(GrCombineFunction_t function, GrCombineFactor_t factor,
                       GrCombineLocal_t local, GrCombineOther_t other);
// Selects a downloaded texture on TMU 0 with both mipmap level sets.
void select_texture(const DeviceTexture& texture);
void draw_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c);
void draw_aa_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c, bool ab, bool bc,
                      bool ca);
void draw_clipped_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c);
void draw_point(const GrVertex& v);
void draw_aa_point(const GrVertex& v);

// The colour modes the star field switches between.
// Plain: the constant colour (white), alpha from the vertices.
void set_plain_mode();
// Stars: the vertex colour times the constant colour.
void set_star_mode();
// Texture: the texel colour as it is.
void set_texture_mode();
// Tunnel: the texel colour times the constant colour.
void set_tunnel_mode();
