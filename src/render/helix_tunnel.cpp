// The helix tunnel: ring reset and recycling, projection with a guarded 1/16-pixel snap, and
// the bands drawn with front-facing triangles only.
#include "render/helix_tunnel.h"

#include <cmath>

#include "render/render_calls.h"
#include "render/render_state.h"
#include "render/star_field_tables.h"

namespace {

constexpr float kDegree = 3.14159265358979f / 180.0f;

// x * 16 truncated to an integer, then back to pixels: the 1/16-pixel grid of the board. False
// when x * 16 is NaN, infinite or beyond the integer range, where the conversion has no meaning.
bool snap_to_sixteenth(float x, float* out) {
    const float scaled = x * 16.0f;
    if (!(std::fabs(scaled) < 2147483520.0f)) return false;  // the largest float below 2^31
    *out = static_cast<float>(static_cast<std::int32_t>(scaled)) * 0.0625f;
    return true;
}

// Whether a triangle would be drawn at all under the positive cull mode: the board drops those
// with a positive or zero signed area (counter-clockwise with y upward) before any pixel work,
// so they are not even clipped.
bool faces_viewer(const GrVertex& a, const GrVertex& b, const GrVertex& c) {
    const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    return area < 0.0f;
}

GrVertex with_texture(const GrVertex& v, float s, float t) {
    GrVertex out = v;
    out.tmuvtx[0] = {s * v.oow, t * v.oow, v.oow};
    out.tmuvtx[1] = out.tmuvtx[0];
    return out;
}

}  // namespace

void HelixTunnel::reset() {
    for (int i = 0; i < kRings; ++i) {
        order[static_cast<std::size_t>(i)] = i;
        const float ox = kHelixX * std::cos(20.0f * kDegree * static_cast<float>(i));
        const float oy = kHelixY * std::sin(20.0f * kDegree * static_cast<float>(i));
        const float z = static_cast<float>(i) * kRingSpacing;
        Ring& ring = rings[static_cast<std::size_t>(i)];
        for (int j = 0; j < kRingVertices; ++j) {
            GrVertex& v = ring[static_cast<std::size_t>(j)];
            v = GrVertex{};
            v.x = kTunnelRingTemplate[static_cast<std::size_t>(j)].x + ox;
            v.y = kTunnelRingTemplate[static_cast<std::size_t>(j)].y + oy;
            v.z = z;
        }
    }
}

void HelixTunnel::advance() {
    travel += kSpeed;
    if (static_cast<float>(travel) >= kLength) {
        reset();
        travel = kSpeed;
    }
}

void HelixTunnel::recycle() {
    const int nearest = order[0];
    Ring& ring = rings[static_cast<std::size_t>(nearest)];
    const float passed = ring[0].z + kEyeDistance - 50.0f - static_cast<float>(travel);
    if (passed > 0.0f) return;
    // The passed ring goes to the far end, and onto the helix where it now lies: 130 rings make
    // 7 2/9 turns, so a ring that kept its old place in the turn would put a kink in the tube
    // there, growing as the travel nears the end of the tunnel.
    const Ring& farthest = rings[static_cast<std::size_t>(order[kRings - 1])];
    const float z = farthest[0].z + kRingSpacing;
    const double phase = static_cast<double>(z) * kTurnPerUnit;
    const auto ox = static_cast<float>(kHelixX * std::cos(phase));
    const auto oy = static_cast<float>(kHelixY * std::sin(phase));
    for (std::size_t j = 0; j < kRingVertices; ++j) {
        ring[j].x = kTunnelRingTemplate[j].x + ox;
        ring[j].y = kTunnelRingTemplate[j].y + oy;
        ring[j].z = z;
    }
    for (int k = 0; k + 1 < kRings; ++k)
        order[static_cast<std::size_t>(k)] = order[static_cast<std::size_t>(k + 1)];
    order[kRings - 1] = nearest;
}

void HelixTunnel::project(float w, float h) {
    const float d = static_cast<float>(travel);
    // The tube was framed for 640 pixels across; larger screens see the same view at a finer
    // grain rather than past the nearest ring into black corners that come and go as rings pass.
    const float scale = kProjection * (w / 640.0f);
    const float ox = kHelixX * std::cos(d * kTurnPerUnit);
    const float oy = kHelixY * std::sin(d * kTurnPerUnit);
    for (int slot = 0; slot < kRings; ++slot) {
        const int ring = order[static_cast<std::size_t>(slot)];
        for (int j = 0; j < kRingVertices; ++j) {
            const GrVertex& world =
                rings[static_cast<std::size_t>(ring)][static_cast<std::size_t>(j)];
            GrVertex& v = projected[static_cast<std::size_t>(ring)][static_cast<std::size_t>(j)];
            bool& ok = usable[static_cast<std::size_t>(ring)][static_cast<std::size_t>(j)];
            const float x = world.x - ox, y = world.y - oy, z = world.z - d;
            const float depth = z + kEyeDistance;
            const float oow = 1.0f / depth;
            v = GrVertex{};
            v.z = z;
            v.oow = oow;
            v.tmuvtx[0].oow = oow;
            v.a = oow * 30000.0f + 100.0f;
            // A ring at or behind the eye has no place on the screen (only after a reopen does
            // one exist, until it is recycled); its bands are left out.
            ok = depth > 0.0f && snap_to_sixteenth(oow * x * scale + w / 2.0f, &v.x) &&
                 snap_to_sixteenth(oow * y * scale + h / 2.0f, &v.y);
        }
    }
}

void HelixTunnel::band_texture_s(std::int32_t scroll, int slot, int* s_near, int* s_far) {
    int sa = 255 * ((scroll + slot) % kRings) / kRings;
    int sb = 255 * ((scroll + slot + 1) % kRings) / kRings;
    if (sb < sa) {
        sa = 0;
        sb = 1;
    }
    *s_near = sa;
    *s_far = sb;
}

void HelixTunnel::draw(const DeviceTexture& picture, float w, float h) {
    set_cull_mode(GR_CULL_POSITIVE);
    advance();
    recycle();
    project(w, h);
    select_texture(picture);
    set_tunnel_mode();
    for (int k = 0; k < kRings; ++k) {
        const int far_slot = k == kRings - 1 ? 0 : k + 1;
        const auto near_ring = static_cast<std::size_t>(order[static_cast<std::size_t>(k)]);
        const auto far_ring = static_cast<std::size_t>(order[static_cast<std::size_t>(far_slot)]);
        int sa, sb;
        band_texture_s(scroll, k, &sa, &sb);
        const float s_near = static_cast<float>(sa), s_far = static_cast<float>(sb);
        const Ring& n = projected[near_ring];
        const Ring& f = projected[far_ring];
        for (std::size_t j = 0; j < 8; ++j) {
            const float t0 = 32.0f * static_cast<float>(j), t1 = t0 + 32.0f;
            const bool all_usable = usable[near_ring][j] && usable[near_ring][j + 1] &&
                                    usable[far_ring][j] && usable[far_ring][j + 1];
            if (!all_usable) continue;
            const GrVertex n0 = with_texture(n[j], s_near, t0);
            const GrVertex n1 = with_texture(n[j + 1], s_near, t1);
            const GrVertex f0 = with_texture(f[j], s_far, t0);
            const GrVertex f1 = with_texture(f[j + 1], s_far, t1);
            if (faces_viewer(n0, f1, n1)) draw_clipped_triangle(n0, f1, n1);
            if (faces_viewer(n0, f0, f1)) draw_clipped_triangle(n0, f0, f1);
        }
    }
    if (++scroll > 255) scroll = 0;
    set_plain_mode();
}
