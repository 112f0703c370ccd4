// The fifteen 3DF textures, made by lumivex_texgen at build time and linked in as they are.
#include <array>

#include "resources/resource_table.h"

// Each file becomes a read-only symbol pair (start, end) through the assembler's .incbin.
#define LUMIVEX_EMBED_TEXTURE(id)                         \
    asm(".section .rodata\n"                              \
        ".balign 16\n"                                    \
        ".global lumivex_texture_" #id                    \
        "\n"                                              \
        "lumivex_texture_" #id                            \
        ":\n"                                             \
        ".incbin \"" LUMIVEX_TEXTURE_DIR "/texture_" #id  \
        ".3df\"\n"                                        \
        ".global lumivex_texture_" #id                    \
        "_end\n"                                          \
        "lumivex_texture_" #id                            \
        "_end:\n"                                         \
        ".previous\n");                                   \
    extern "C" const std::uint8_t lumivex_texture_##id[]; \
    extern "C" const std::uint8_t lumivex_texture_##id##_end[];

LUMIVEX_EMBED_TEXTURE(153)
LUMIVEX_EMBED_TEXTURE(155)
LUMIVEX_EMBED_TEXTURE(156)
LUMIVEX_EMBED_TEXTURE(158)
LUMIVEX_EMBED_TEXTURE(159)
LUMIVEX_EMBED_TEXTURE(160)
LUMIVEX_EMBED_TEXTURE(1108)
LUMIVEX_EMBED_TEXTURE(1115)
LUMIVEX_EMBED_TEXTURE(1117)
LUMIVEX_EMBED_TEXTURE(1119)
LUMIVEX_EMBED_TEXTURE(1124)
LUMIVEX_EMBED_TEXTURE(1134)
LUMIVEX_EMBED_TEXTURE(1135)
LUMIVEX_EMBED_TEXTURE(1136)
LUMIVEX_EMBED_TEXTURE(1143)

#define LUMIVEX_TEXTURE_ENTRY(id)                                                       \
    ResourceEntry {                                                                     \
        id, "TEXTURE", lumivex_texture_##id,                                            \
            static_cast<std::size_t>(lumivex_texture_##id##_end - lumivex_texture_##id) \
    }

std::span<const ResourceEntry> texture_resources() {
    static const std::array<ResourceEntry, 15> entries = {
        LUMIVEX_TEXTURE_ENTRY(153),  LUMIVEX_TEXTURE_ENTRY(155),  LUMIVEX_TEXTURE_ENTRY(156),
        LUMIVEX_TEXTURE_ENTRY(158),  LUMIVEX_TEXTURE_ENTRY(159),  LUMIVEX_TEXTURE_ENTRY(160),
        LUMIVEX_TEXTURE_ENTRY(1108), LUMIVEX_TEXTURE_ENTRY(1115), LUMIVEX_TEXTURE_ENTRY(1117),
        LUMIVEX_TEXTURE_ENTRY(1119), LUMIVEX_TEXTURE_ENTRY(1124), LUMIVEX_TEXTURE_ENTRY(1134),
        LUMIVEX_TEXTURE_ENTRY(1135), LUMIVEX_TEXTURE_ENTRY(1136), LUMIVEX_TEXTURE_ENTRY(1143)};
    return entries;
}
