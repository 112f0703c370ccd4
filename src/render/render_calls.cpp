// The recording seam in front of the Glide device.
#include "render/render_calls.h"

#include <cstring>

#include "render/render_state.h"

namespace {

// The log of the one renderer object, or null when nothing records.
GlideCallLog* log_in_use() { return render_state().call_log; }

bool record(GlideCallKind kind, std::initializer_list<int> args,
            std::initializer_list<const GrVertex*> vertices = {}) {
    GlideCallLog* log = log_in_use();
    if (!log) return true;
    GlideCall call;
    call.kind = kind;
    std::size_t i = 0;
    for (int a : args) call.args[i++] = a;
    for (const GrVertex* v : vertices)
        call.vertices[static_cast<std::size_t>(call.vertex_count++)] = *v;
    log->calls.push_back(call);
    return log->forward;
}

}  // namespace

bool GlideCall::operator==(const GlideCall& other) const {
    return kind == other.kind && args == other.args && vertex_count == other.vertex_count &&
           std::memcmp(vertices.data(), other.vertices.data(),
                       sizeof(GrVertex) * static_cast<std::size_t>(vertex_count)) == 0;
}

void clear_buffer() {
    if (record(GlideCallKind::BufferClear, {0, 0, 0})) grBufferClear(0, 0, 0);
}

void swap_buffer() {
    if (record(GlideCallKind::BufferSwap, {1})) grBufferSwap(1);
}

void set_cull_mode(GrCullMode_t mode) {
    if (record(GlideCallKind::CullMode, {mode})) grCullMode(mode);
}

void set_color_combine(GrCombineFunction_t function, GrCombineFactor_t factor,
                       GrCombineLocal_t local, GrCombineOther_t other) {
    if (record(GlideCallKind::ColorCombine, {function, factor, local, other, FXFALSE})) {
        grColorCombine(function, factor, local, other, FXFALSE);
    }
}

void select_texture(const DeviceTexture& texture) {
    if (record(GlideCallKind::TexSource, {GR_TMU0, static_cast<int>(texture.start_address),
                                          static_cast<int>(GR_MIPMAPLEVELMASK_BOTH)})) {
        GrTexInfo info = texture.info;
        grTexSource(GR_TMU0, texture.start_address, GR_MIPMAPLEVELMASK_BOTH, &info);
    }
}

void draw_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    if (record(GlideCallKind::DrawTriangle, {}, {&a, &b, &c})) grDrawTriangle(&a, &b, &c);
}

void draw_aa_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c, bool ab, bool bc,
                      bool ca) {
    if (record(GlideCallKind::AADrawTriangle, {ab, bc, ca}, {&a, &b, &c})) {
        grAADrawTriangle(&a, &b, &c, ab, bc, ca);
    }
}

void draw_clipped_triangle(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    if (record(GlideCallKind::DrawTriangleWithClip, {}, {&a, &b, &c})) {
        guDrawTriangleWithClip(&a, &b, &c);
    }
}

void draw_point(const GrVertex& v) {
    if (record(GlideCallKind::DrawPoint, {}, {&v})) grDrawPoint(&v);
}

void draw_aa_point(const GrVertex& v) {
    if (record(GlideCallKind::AADrawPoint, {}, {&v})) grAADrawPoint(&v);
}

void set_plain_mode() {
    set_color_combine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                      GR_COMBINE_OTHER_NONE);
}

void set_star_mode() {
    set_color_combine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                      GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_CONSTANT);
}

void set_texture_mode() {
    set_color_combine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                      GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE);
}

void set_tunnel_mode() {
    set_color_combine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL,
                      GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE);
}
