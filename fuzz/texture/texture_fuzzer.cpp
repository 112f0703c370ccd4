// 3DF texture files of any content through the reader, and what it accepts into texture memory.
//
// Checks, on every input: a file the reader accepts holds exactly the texels its header
// promises for its lod range and aspect, and downloading it the way the render device does
// reads nothing outside them (AddressSanitizer watches the copy).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/glide/glide.h"
#include "render/texture_file.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Texels in the chain from large_lod down to small_lod at this aspect.
std::uint64_t texels_in_chain(const TextureFileInfo& t) {
    std::uint64_t total = 0;
    for (std::int32_t lod = t.large_lod; lod <= t.small_lod; ++lod) {
        const std::uint64_t large = 256u >> lod;
        const std::int32_t aspect = t.aspect_ratio;
        const std::uint32_t shift = static_cast<std::uint32_t>(aspect < 3 ? 3 - aspect : aspect - 3);
        const std::uint64_t small = large >> shift ? large >> shift : 1;
        total += large * small;
    }
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool device = [] {
        grGlideInit();
        grSstSelect(0);
        return grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR,
                            GR_ORIGIN_LOWER_LEFT, 2, 0) != 0;
    }();
    check(device);

    TextureFileInfo file;
    if (!load_3df_bytes(std::span<const std::uint8_t>(data, size), &file)) {
        check(file.data.empty() && file.mem_required == 0);
        return 0;
    }
    check(file.data.size() == file.mem_required);
    check(file.large_lod >= 0 && file.large_lod <= file.small_lod && file.small_lod <= 8);
    check(file.aspect_ratio >= 0 && file.aspect_ratio <= 6);
    const std::uint64_t bytes_per_texel = file.format >= 8 ? 2 : 1;
    check(texels_in_chain(file) * bytes_per_texel == file.mem_required);

    GrTexInfo info{};
    info.smallLod = file.small_lod;
    info.largeLod = file.large_lod;
    info.aspectRatio = file.aspect_ratio;
    info.format = file.format;
    info.data = file.data.data();
    if (grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info) > file.mem_required) return 0;
    const FxU32 address = grTexMinAddress(GR_TMU0);
    if (address + grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &info) >
        grTexMaxAddress(GR_TMU0))
        return 0;
    grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &info);
    return 0;
}
