// Texture memory on TMU 0: sizes, downloads, the selected texture and its decoded copy.
#include "platform/glide/glide_texture.h"

#include <algorithm>
#include <cstring>

#include "platform/glide/glide_device.h"

namespace {

bool valid_info(const GrTexInfo* info) {
    return info && info->largeLod >= GR_LOD_256 && info->smallLod <= GR_LOD_1 &&
           info->largeLod <= info->smallLod && info->aspectRatio >= GR_ASPECT_8x1 &&
           info->aspectRatio <= GR_ASPECT_1x8 && info->format >= GR_TEXFMT_RGB_332 &&
           info->format <= GR_TEXFMT_AP_88;
}

// Bytes of TMU memory the chain takes: the levels one after another, no padding.
FxU32 chain_bytes(FxU32 even_odd, const GrTexInfo& info) {
    FxU32 total = 0;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        if (!texture_level_present(even_odd, lod)) continue;
        int w, h;
        texture_level_size(info.aspectRatio, lod, &w, &h);
        total += static_cast<FxU32>(w * h * texel_bytes(info.format));
    }
    return total;
}

std::uint32_t widen_565(std::uint16_t v) {
    const std::uint32_t r = glide_math::widen5(v >> 11), g = glide_math::widen6((v >> 5) & 63),
                        b = glide_math::widen5(v & 31);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

std::uint32_t argb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return (a << 24) | (r << 16) | (g << 8) | b;
}

std::uint32_t rgb332(std::uint32_t v) {
    const std::uint32_t r = (v >> 5) & 7, g = (v >> 2) & 7, b = v & 3;
    return argb(0, (r << 5) | (r << 2) | (r >> 1), (g << 5) | (g << 2) | (g >> 1), b * 85);
}

// One texel of any format as 0xAARRGGBB. The NCC (YIQ) formats have no decoder: nothing the
// saver draws uses them, and they come out black.
std::uint32_t decode_texel(const std::uint8_t* p, GrTextureFormat_t format,
                           const std::array<GrColor_t, 256>& palette) {
    if (texel_bytes(format) == 1) {
        const std::uint32_t v = *p;
        switch (format) {
            case GR_TEXFMT_RGB_332:
                return 0xFF000000u | rgb332(v);
            case GR_TEXFMT_ALPHA_8:
                return argb(v, v, v, v);
            case GR_TEXFMT_INTENSITY_8:
                return argb(255, v, v, v);
            case GR_TEXFMT_ALPHA_INTENSITY_44: {
                const std::uint32_t a = (v >> 4) * 17, i = (v & 15) * 17;
                return argb(a, i, i, i);
            }
            case GR_TEXFMT_P_8:
                return 0xFF000000u | (palette[v] & 0xFFFFFFu);
            default:
                return 0xFF000000u;
        }
    }
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    const std::uint32_t hi = v >> 8, lo = v & 255;
    switch (format) {
        case GR_TEXFMT_RGB_565:
            return widen_565(v);
        case GR_TEXFMT_ARGB_1555:
            return argb((v & 0x8000) ? 255 : 0, glide_math::widen5((v >> 10) & 31),
                        glide_math::widen5((v >> 5) & 31), glide_math::widen5(v & 31));
        case GR_TEXFMT_ARGB_4444:
            return argb((v >> 12) * 17, ((v >> 8) & 15) * 17, ((v >> 4) & 15) * 17, (v & 15) * 17);
        case GR_TEXFMT_ALPHA_INTENSITY_88:
            return argb(hi, lo, lo, lo);
        case GR_TEXFMT_ARGB_8332:
            return (hi << 24) | rgb332(lo);
        case GR_TEXFMT_AP_88:
            return (hi << 24) | (palette[lo] & 0xFFFFFFu);
        default:
            return 0xFF000000u;
    }
}

// The column pairs of one bordered level (see DecodedTexture::pairs), appended to `out`.
void append_pairs(const TexLevel& l, std::vector<std::uint64_t>& out) {
    for (int j = 0; j <= l.height; ++j) {
        const std::uint32_t* r0 = l.texels + static_cast<std::ptrdiff_t>(j) * l.stride;
        const std::uint32_t* r1 = r0 + l.stride;
        for (int i = 0; i < l.stride; ++i) {
            std::uint64_t entry = 0;
            for (int c = 0; c < 4; ++c) {
                const std::uint64_t top = ((r0[i] >> (8 * c)) & 255u) ^ 0x80u;
                const std::uint64_t bottom = ((r1[i] >> (8 * c)) & 255u) ^ 0x80u;
                entry |= (top | bottom << 8) << (16 * c);
            }
            out.push_back(entry);
        }
    }
}

void decode(const GlideDevice& d, TextureBinding& t) {
    DecodedTexture& out = t.decoded;
    const GrTexInfo& info = t.info;
    out.large_lod = info.largeLod;
    out.small_lod = info.smallLod;
    texture_level_size(info.aspectRatio, GR_LOD_256, &out.full_width, &out.full_height);
    std::array<std::size_t, 9> offset{};
    std::size_t total = 0, pairs = 0;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        int w, h;
        texture_level_size(info.aspectRatio, lod, &w, &h);
        offset[lod] = total;
        out.levels[lod].width = w;
        out.levels[lod].height = h;
        out.levels[lod].stride = w + 2;
        total += static_cast<std::size_t>(w + 2) * (h + 2);
        const auto entry = static_cast<std::int32_t>(sizeof(std::uint64_t));
        out.pair_origin[lod] = static_cast<std::int32_t>(pairs + w + 3) * entry;
        out.pair_step[lod] = entry | ((w + 2) * entry) << 16;
        out.last_texel[lod] = (w - 1) | (h - 1) << 16;
        pairs += static_cast<std::size_t>(w + 2) * (h + 1);
    }
    for (int lod = info.smallLod + 1; lod < 16; ++lod) {
        out.pair_origin[lod] = out.pair_origin[info.smallLod];
        out.pair_step[lod] = out.pair_step[info.smallLod];
        out.last_texel[lod] = out.last_texel[info.smallLod];
    }
    out.store.assign(total, 0xFF000000u);
    out.pairs.clear();
    out.pairs.reserve(pairs);
    const int bpt = texel_bytes(info.format);
    std::size_t source = t.start;
    for (GrLOD_t lod = info.largeLod; lod <= info.smallLod; ++lod) {
        TexLevel& l = out.levels[lod];
        const int w = l.width, h = l.height, stride = l.stride;
        std::uint32_t* base = out.store.data() + offset[lod];
        l.texels = base;
        if (texture_level_present(t.even_odd, lod)) {
            for (int y = 0; y < h; ++y) {
                std::uint32_t* row = base + static_cast<std::ptrdiff_t>(y + 1) * stride;
                for (int x = 0; x < w; ++x, source += bpt) {
                    row[x + 1] = decode_texel(d.tex_memory.data() + source, info.format, d.palette);
                }
                row[0] = row[1];
                row[w + 1] = row[w];
            }
            std::copy(base + stride, base + 2 * stride, base);
            std::copy(base + static_cast<std::ptrdiff_t>(h) * stride,
                      base + static_cast<std::ptrdiff_t>(h + 1) * stride,
                      base + static_cast<std::ptrdiff_t>(h + 1) * stride);
        }  // a level never downloaded stays black
        append_pairs(l, out.pairs);
    }
}

bool same_texture(const TextureBinding& t, FxU32 start, FxU32 even_odd, const GrTexInfo& info) {
    return t.start == start && t.even_odd == even_odd && t.info.smallLod == info.smallLod &&
           t.info.largeLod == info.largeLod && t.info.aspectRatio == info.aspectRatio &&
           t.info.format == info.format;
}

void forget_textures_in(GlideDevice& d, FxU32 begin, FxU32 end) {
    std::erase_if(d.textures, [&](const std::unique_ptr<TextureBinding>& t) {
        return t->start < end && begin < t->start + t->bytes;
    });
    d.dirty = true;
}

}  // namespace

void texture_level_size(GrAspectRatio_t aspect, GrLOD_t lod, int* width, int* height) {
    const int longer = 256 >> lod;
    const int shift = aspect < GR_ASPECT_1x1 ? GR_ASPECT_1x1 - aspect : aspect - GR_ASPECT_1x1;
    const int shorter = std::max(1, longer >> shift);
    *width = aspect <= GR_ASPECT_1x1 ? longer : shorter;
    *height = aspect <= GR_ASPECT_1x1 ? shorter : longer;
}

int texel_bytes(GrTextureFormat_t format) { return format >= GR_TEXFMT_ARGB_8332 ? 2 : 1; }

bool texture_level_present(FxU32 even_odd, GrLOD_t lod) {
    if ((even_odd & GR_MIPMAPLEVELMASK_BOTH) == GR_MIPMAPLEVELMASK_BOTH) return true;
    return (lod % 2 == 0) ? (even_odd & GR_MIPMAPLEVELMASK_EVEN) != 0
                          : (even_odd & GR_MIPMAPLEVELMASK_ODD) != 0;
}

const DecodedTexture* bound_texture(GlideDevice& d) {
    const GrTexInfo& info = d.source_info;
    if (!valid_info(&info)) return nullptr;
    const FxU32 bytes = chain_bytes(d.source_even_odd, info);
    if (d.source_start > kTextureMemoryBytes || bytes > kTextureMemoryBytes - d.source_start) {
        return nullptr;
    }
    for (const auto& t : d.textures) {
        if (same_texture(*t, d.source_start, d.source_even_odd, info)) return &t->decoded;
    }
    // A handful of textures are in use at a time; keep the most recent few decoded.
    constexpr std::size_t kKeep = 16;
    if (d.textures.size() >= kKeep) d.textures.erase(d.textures.begin());
    TextureBinding& t = *d.textures.emplace_back(std::make_unique<TextureBinding>());
    t.start = d.source_start;
    t.even_odd = d.source_even_odd;
    t.info = info;
    t.info.data = nullptr;
    t.bytes = bytes;
    decode(d, t);
    return &t.decoded;
}

FxU32 grTexMinAddress(GrChipID_t /*tmu*/) { return 0; }
FxU32 grTexMaxAddress(GrChipID_t /*tmu*/) { return kTextureMemoryBytes - 8; }

FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info) {
    return valid_info(info) ? chain_bytes(evenOdd, *info) : 0;
}

void grTexDownloadMipMap(GrChipID_t /*tmu*/, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    GlideDevice& d = glide_device();
    if (!d.initialised || !valid_info(info) || !info->data) return;
    const FxU32 bytes = chain_bytes(evenOdd, *info);
    if (startAddress > kTextureMemoryBytes || bytes > kTextureMemoryBytes - startAddress) return;
    // The host buffer holds every level of the chain; only the chosen level sets are sent.
    const auto* src = static_cast<const std::uint8_t*>(info->data);
    std::uint8_t* dst = d.tex_memory.data() + startAddress;
    for (GrLOD_t lod = info->largeLod; lod <= info->smallLod; ++lod) {
        int w, h;
        texture_level_size(info->aspectRatio, lod, &w, &h);
        const std::size_t size = static_cast<std::size_t>(w) * h * texel_bytes(info->format);
        if (texture_level_present(evenOdd, lod)) {
            std::memcpy(dst, src, size);
            dst += size;
        }
        src += size;
    }
    forget_textures_in(d, startAddress, startAddress + bytes);
}

void grTexDownloadTable(GrChipID_t /*tmu*/, GrTexTable_t type, void* data) {
    GlideDevice& d = glide_device();
    if (!data || type != GR_TEXTABLE_PALETTE) return;  // NCC tables have no decoder here
    std::memcpy(d.palette.data(), data, sizeof(d.palette));
    d.textures.clear();
    d.dirty = true;
}

void grTexSource(GrChipID_t /*tmu*/, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info) {
    GlideDevice& d = glide_device();
    d.has_source = valid_info(info);
    if (d.has_source) {
        d.source_start = startAddress;
        d.source_even_odd = evenOdd;
        d.source_info = *info;
        d.source_info.data = nullptr;
    }
    d.dirty = true;
}

void grTexCombine(GrChipID_t /*tmu*/, GrCombineFunction_t rgb_function,
                  GrCombineFactor_t rgb_factor, GrCombineFunction_t alpha_function,
                  GrCombineFactor_t alpha_factor, FxBool rgb_invert, FxBool alpha_invert) {
    GlideDevice& d = glide_device();
    d.tex_rgb = {rgb_function, rgb_factor, GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_ITERATED,
                 rgb_invert != 0};
    d.tex_alpha = {alpha_function, alpha_factor, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_ITERATED, alpha_invert != 0};
    d.dirty = true;
}

void grTexFilterMode(GrChipID_t /*tmu*/, GrTextureFilterMode_t minfilter_mode,
                     GrTextureFilterMode_t magfilter_mode) {
    GlideDevice& d = glide_device();
    d.min_filter = minfilter_mode;
    d.mag_filter = magfilter_mode;
    d.dirty = true;
}

void grTexMipMapMode(GrChipID_t /*tmu*/, GrMipMapMode_t mode, FxBool /*lodBlend*/) {
    GlideDevice& d = glide_device();
    d.mipmap_mode = mode;
    d.dirty = true;
}

void grTexClampMode(GrChipID_t /*tmu*/, GrTextureClampMode_t s_clampmode,
                    GrTextureClampMode_t t_clampmode) {
    GlideDevice& d = glide_device();
    d.clamp_s = s_clampmode;
    d.clamp_t = t_clampmode;
    d.dirty = true;
}
