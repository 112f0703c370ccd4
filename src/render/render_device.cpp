// open_render_device: the steps that take the saver from a window to a scene ready to draw.
#include "render/render_device.h"

#include "platform/glide/glide.h"
#include "platform/win/win.h"
#include "render/render_state.h"
#include "render/texture_file.h"

namespace {

void load_texture(int resource_id, DeviceTexture* t) {
    *t = DeviceTexture{};
    TextureFileInfo file;
    if (!load_3df_resource(resource_id, &file)) return;
    t->info.smallLod = file.small_lod;
    t->info.largeLod = file.large_lod;
    t->info.aspectRatio = file.aspect_ratio;
    t->info.format = file.format;
    t->table_type = table_type_for_format(file.format);
    t->table = file.table;
    // The chain Glide is told about runs down to the aspect's one-texel level; a file whose lod
    // range stops earlier holds fewer texels than that, and downloading it would read past them.
    if (grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &t->info) > file.mem_required) return;
    t->texels = std::move(file.data);
    t->info.data = t->texels.data();
    t->loaded = true;
}

}  // namespace

void open_render_device() {
    RenderState& st = render_state();

    // 1. Only the low 8 bits of the tick count seed the scene: 256 scenes per background.
    st.random.seed(GetTickCount() & 0xFF);
    st.random.draw();

    // 2. Resolution.
    if (st.resolution == 2) {
        st.resolution_code = GR_RESOLUTION_1024x768;
        st.screen_width = 1024.0f;
        st.screen_height = 768.0f;
    } else if (st.resolution == 1) {
        st.resolution_code = GR_RESOLUTION_800x600;
        st.screen_width = 800.0f;
        st.screen_height = 600.0f;
    } else {
        st.resolution_code = GR_RESOLUTION_640x480;
        st.screen_width = 640.0f;
        st.screen_height = 480.0f;
    }

    // 3, 4. The library and the full-screen double-buffered surface, origin at the lower left.
    char version[80];
    grGlideGetVersion(version);
    grGlideInit();
    GrHwConfiguration hardware;
    grSstQueryHardware(&hardware);
    grSstSelect(0);
    grSstWinOpen(0, st.resolution_code, GR_REFRESH_60Hz, GR_COLORFORMAT_ABGR, GR_ORIGIN_LOWER_LEFT,
                 2, 1);

    // 5. The texture unit passes its texel colour on.
    grTexCombine(GR_TMU0, GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_FUNCTION_ZERO, GR_COMBINE_FACTOR_NONE, FXFALSE, FXFALSE);

    // 6. A random background is never Stars 3D (8).
    if (st.random_background) {
        st.random.seed(static_cast<std::uint32_t>(render_calendar_seconds()));
        st.random.draw();
        st.background_number = static_cast<int>(st.random.r() * 7.99f);
    }

    // 7. The background and the three big-star images.
    load_texture(background_resource_id(st.background_number), &st.textures[kBackgroundTexture]);
    load_texture(1134, &st.textures[kStarImage1]);
    load_texture(1135, &st.textures[kStarImage2]);
    load_texture(1136, &st.textures[kStarImage3]);

    // 8. Download in memory order: image 1, 2, 3, then the background, back to back.
    FxU32 address = grTexMinAddress(GR_TMU0);
    for (int slot : {kStarImage1, kStarImage2, kStarImage3, kBackgroundTexture}) {
        DeviceTexture& t = st.textures[slot];
        t.start_address = address;
        if (t.loaded) {
            grTexDownloadMipMap(GR_TMU0, address, GR_MIPMAPLEVELMASK_BOTH, &t.info);
            if (t.table_type != -1) grTexDownloadTable(GR_TMU0, t.table_type, t.table.data());
        }
        address += grTexTextureMemRequired(GR_MIPMAPLEVELMASK_BOTH, &t.info);
        // The board holds its own copy now.
        t.texels.clear();
        t.texels.shrink_to_fit();
        t.info.data = nullptr;
    }

    // 9. Bilinear filtering, nearest mipmap level.
    grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR);
    grTexMipMapMode(GR_TMU0, GR_MIPMAP_NEAREST, FXFALSE);

    // 10. The plain mode: constant colour, alpha from the vertices, alpha blending.
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ZERO,
                         GR_BLEND_ZERO);

    // 11. The scene.
    build_scene();
}
