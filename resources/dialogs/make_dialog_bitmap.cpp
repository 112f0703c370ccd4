// Build-time generator of bitmap 152: paints the star field, reduces it to 256 colours and
// writes it as a device-independent bitmap in a C++ source file (and, if asked, a .bmp file).
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "resources/dialogs/palette_quantizer.h"
#include "resources/dialogs/starfield_painter.h"

namespace {

constexpr int kWidth = 170;
constexpr int kHeight = 131;

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// BITMAPINFOHEADER, 256 RGBQUAD palette entries, then the rows from the bottom up.
std::vector<std::uint8_t> make_dib(const IndexedPicture& picture) {
    const std::uint32_t stride = (kWidth + 3) & ~3u;
    std::vector<std::uint8_t> dib;
    put32(dib, 40);
    put32(dib, kWidth);
    put32(dib, kHeight);
    put16(dib, 1);
    put16(dib, 8);
    put32(dib, 0);  // BI_RGB
    put32(dib, stride * kHeight);
    put32(dib, 2835);  // 72 dots per inch
    put32(dib, 2835);
    put32(dib, 256);
    put32(dib, 0);
    for (int i = 0; i < 256; ++i) {
        const bool used = i < static_cast<int>(picture.palette.size());
        const auto& c = used ? picture.palette[static_cast<std::size_t>(i)]
                             : std::array<std::uint8_t, 3>{0, 0, 0};
        dib.insert(dib.end(), {c[2], c[1], c[0], 0});
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        const auto* row = &picture.indices[static_cast<std::size_t>(y) * kWidth];
        dib.insert(dib.end(), row, row + kWidth);
        dib.resize(dib.size() + (stride - kWidth), 0);
    }
    return dib;
}

bool write_source(const std::string& path, const std::vector<std::uint8_t>& dib) {
    const std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "w");
    if (!f) return false;
    std::fprintf(f,
                 "// Generated at build time by lumivex_make_dialog_bitmap: bitmap 152, the star\n"
                 "// field of the settings dialog (%dx%d, 256 colours) as a device-independent "
                 "bitmap.\n#include <cstddef>\n#include <cstdint>\n\n"
                 "extern const std::uint8_t kStarFieldBitmapBits[] = {",
                 kWidth, kHeight);
    for (std::size_t i = 0; i < dib.size(); ++i) {
        std::fprintf(f, "%s%u,", i % 20 == 0 ? "\n    " : "", dib[i]);
    }
    std::fprintf(f, "\n};\nextern const std::size_t kStarFieldBitmapSize = %zu;\n", dib.size());
    const bool ok = std::fclose(f) == 0;
    return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

bool write_bmp(const std::string& path, const std::vector<std::uint8_t>& dib) {
    std::vector<std::uint8_t> file = {'B', 'M'};
    put32(file, static_cast<std::uint32_t>(14 + dib.size()));
    put32(file, 0);
    put32(file, 14 + 40 + 256 * 4);
    file.insert(file.end(), dib.begin(), dib.end());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp [PICTURE.bmp]\n", argv[0]);
        return 2;
    }
    const Picture picture = paint_star_field(kWidth, kHeight);
    const IndexedPicture indexed = quantize(tone_map(picture), kWidth, kHeight, 256, 0.5f);
    const std::vector<std::uint8_t> dib = make_dib(indexed);
    if (!write_source(argv[1], dib)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    if (argc > 2 && !write_bmp(argv[2], dib)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
