// The bitmap resources: bitmap 152, generated at build time.
#include "resources/dialogs/dialog_resources.h"

extern const std::uint8_t kStarFieldBitmapBits[];
extern const std::size_t kStarFieldBitmapSize;

std::span<const std::uint8_t> find_bitmap_resource(int id) {
    if (id != kStarFieldBitmap) return {};
    return {kStarFieldBitmapBits, kStarFieldBitmapSize};
}
