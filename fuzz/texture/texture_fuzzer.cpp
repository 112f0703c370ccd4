// 3DF texture files of any content through the reader, and what it accepts into texture memory.
//
// Checks, on every input: a file the reader accepts has sides that match its aspect and large
// lod, holds at least its first level and at most its whole chain, and downloading it the way
// the render device does reads nothing outside its texels (AddressSanitizer watches the copy).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/glide/glide.h"
#include "render/texture_file.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Texels in the whole chain from the first level's sides down to one texel.
std::uint64_t texels_down_to_one(std::uint64_t width, std::uint64_t height) {
    std::uint64_t total = width * height;
    while (width > 1 || height > 1) {
        if (width > 1) width /= 2;
        if (height > 1) height /= 2;
        total += width * height;
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
    check(file.width >= 1 && file.height >= 1 &&
          std::max(file.width, file.height) == 256u >> file.large_lod);
    const std::uint64_t bytes_per_texel = file.format >= 8 ? 2 : 1;
    check(std::uint64_t{file.width} * file.height * bytes_per_texel <= file.mem_required);
    check(file.mem_required <= texels_down_to_one(file.width, file.height) * bytes_per_texel);

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
