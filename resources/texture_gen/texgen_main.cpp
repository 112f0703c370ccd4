// Build-time generator of the fifteen 3DF texture resources (and, on request, PNG previews).
//   lumivex_texgen --out DIR [--png DIR]
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "platform/glide/png_write.h"
#include "resources/texture_gen/pictures.h"
#include "resources/texture_gen/texture_chain.h"

namespace {

struct Texture {
    int id;
    const char* label;
    std::function<Image()> paint;
};

const Texture kTextures[] = {
    {153, "blue-red", picture_blue_red},
    {155, "stars", picture_star_tunnel},
    {156, "aurora", picture_aurora},
    {158, "ice", picture_ice},
    {159, "ember", picture_ember},
    {160, "spiral-vortex", picture_spiral_vortex},
    {1108, "red-clouds", picture_red_clouds},
    {1115, "clouds", picture_clouds},
    {1117, "colored-plasma", picture_colored_plasma},
    {1119, "white-nebula", picture_white_nebula},
    {1124, "spiral-galaxy", picture_spiral_galaxy},
    {1134, "star-white", [] { return picture_star_glow(hex(0xFFFFFF), hex(0xC8D8FF), 1); }},
    {1135, "star-warm", [] { return picture_star_glow(hex(0xFFF4D8), hex(0xFFA236), 2); }},
    {1136, "star-cool", [] { return picture_star_glow(hex(0xEAF6FF), hex(0x3C8CFF), 3); }},
    {1143, "lightning", picture_lightning},
};

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Every level of the quantised chain side by side (what the device will sample), for looking at.
bool write_preview(const std::string& path, const std::vector<std::uint16_t>& texels) {
    const int width = 256 + 128 + 64 + 32 + 16 + 8 + 4 + 2 + 1 + 8 * 2;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 256 * 3, 40);
    std::size_t at = 0;
    int x0 = 0;
    for (int size = 256; size >= 1; size /= 2) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint16_t t = texels[at++];
                std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x0 + x) * 3];
                const int r = t >> 11, g = (t >> 5) & 63, b = t & 31;
                p[0] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
                p[1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
                p[2] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
            }
        }
        x0 += size + 2;
    }
    return write_png_rgb(path, width, 256, rgb);
}

}  // namespace

int main(int argc, char** argv) {
    std::string out, png;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
        if (std::strcmp(argv[i], "--png") == 0) png = argv[i + 1];
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: lumivex_texgen --out DIR [--png DIR]\n");
        return 2;
    }
    for (const Texture& t : kTextures) {
        const std::vector<std::uint16_t> texels = quantize_chain(mip_chain(t.paint()));
        const std::string path = out + "/texture_" + std::to_string(t.id) + ".3df";
        if (!write_file(path, make_3df(texels))) {
            std::fprintf(stderr, "lumivex_texgen: cannot write %s\n", path.c_str());
            return 1;
        }
        if (!png.empty()) {
            write_preview(png + "/texture_" + std::to_string(t.id) + "_" + t.label + ".png",
                          texels);
        }
    }
    return 0;
}
