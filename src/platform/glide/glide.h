// The Glide 2 interface the star field draws through: types, constants and calls, with Glide's
// own names and numeric values, implemented by the software device in this folder.
#pragma once

#include <cstdint>

using FxU8 = std::uint8_t;
using FxU16 = std::uint16_t;
using FxU32 = std::uint32_t;
using FxI32 = std::int32_t;
using FxBool = int;
using FxFloat = float;

constexpr FxBool FXFALSE = 0;
constexpr FxBool FXTRUE = 1;

using GrChipID_t = FxI32;
using GrColor_t = FxU32;
using GrAlpha_t = FxU8;
using GrLOD_t = FxI32;
using GrAspectRatio_t = FxI32;
using GrTextureFormat_t = FxI32;
using GrTexTable_t = FxI32;
using GrScreenResolution_t = FxI32;
using GrScreenRefresh_t = FxI32;
using GrColorFormat_t = FxI32;
using GrOriginLocation_t = FxI32;
using GrCombineFunction_t = FxI32;
using GrCombineFactor_t = FxI32;
using GrCombineLocal_t = FxI32;
using GrCombineOther_t = FxI32;
using GrAlphaBlendFnc_t = FxI32;
using GrCullMode_t = FxI32;
using GrDitherMode_t = FxI32;
using GrTextureFilterMode_t = FxI32;
using GrTextureClampMode_t = FxI32;
using GrMipMapMode_t = FxI32;

// One texture unit's coordinates, already divided by w.
struct GrTmuVertex {
    float sow;
    float tow;
    float oow;
};

// The vertex record: 15 floats in Glide 2's header order.
struct GrVertex {
    float x, y, z;
    float r, g, b;
    float ooz;
    float a;
    float oow;
    GrTmuVertex tmuvtx[2];
};
static_assert(sizeof(GrVertex) == 60, "GrVertex is 15 floats");

struct GrTexInfo {
    GrLOD_t smallLod;
    GrLOD_t largeLod;
    GrAspectRatio_t aspectRatio;
    GrTextureFormat_t format;
    void* data;
};

constexpr int GR_SSTTYPE_VOODOO = 0;
constexpr int GR_MAX_NUM_SST = 4;

struct GrTmuConfig_t {
    int tmuRev;
    int tmuRam;  // megabytes
};

struct GrVoodooConfig_t {
    int fbRam;  // megabytes
    int fbiRev;
    int nTexelfx;
    FxBool sliDetect;
    GrTmuConfig_t tmuConfig[2];
};

struct GrSstConfig_t {
    int type;
    GrVoodooConfig_t VoodooConfig;
};

struct GrHwConfiguration {
    int num_sst;
    GrSstConfig_t SSTs[GR_MAX_NUM_SST];
};

// Texture units and mipmap level sets.
constexpr GrChipID_t GR_TMU0 = 0;
constexpr GrChipID_t GR_TMU1 = 1;
constexpr FxU32 GR_MIPMAPLEVELMASK_EVEN = 1;
constexpr FxU32 GR_MIPMAPLEVELMASK_ODD = 2;
constexpr FxU32 GR_MIPMAPLEVELMASK_BOTH = 3;

// Levels of detail (the side of the level) and aspect ratios (width x height).
constexpr GrLOD_t GR_LOD_256 = 0;
constexpr GrLOD_t GR_LOD_128 = 1;
constexpr GrLOD_t GR_LOD_64 = 2;
constexpr GrLOD_t GR_LOD_32 = 3;
constexpr GrLOD_t GR_LOD_16 = 4;
constexpr GrLOD_t GR_LOD_8 = 5;
constexpr GrLOD_t GR_LOD_4 = 6;
constexpr GrLOD_t GR_LOD_2 = 7;
constexpr GrLOD_t GR_LOD_1 = 8;
constexpr GrAspectRatio_t GR_ASPECT_8x1 = 0;
constexpr GrAspectRatio_t GR_ASPECT_4x1 = 1;
constexpr GrAspectRatio_t GR_ASPECT_2x1 = 2;
constexpr GrAspectRatio_t GR_ASPECT_1x1 = 3;
constexpr GrAspectRatio_t GR_ASPECT_1x2 = 4;
constexpr GrAspectRatio_t GR_ASPECT_1x4 = 5;
constexpr GrAspectRatio_t GR_ASPECT_1x8 = 6;

// Texture formats.
constexpr GrTextureFormat_t GR_TEXFMT_RGB_332 = 0;
constexpr GrTextureFormat_t GR_TEXFMT_YIQ_422 = 1;
constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_8 = 2;
constexpr GrTextureFormat_t GR_TEXFMT_INTENSITY_8 = 3;
constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_INTENSITY_44 = 4;
constexpr GrTextureFormat_t GR_TEXFMT_P_8 = 5;
constexpr GrTextureFormat_t GR_TEXFMT_ARGB_8332 = 8;
constexpr GrTextureFormat_t GR_TEXFMT_AYIQ_8422 = 9;
constexpr GrTextureFormat_t GR_TEXFMT_RGB_565 = 10;
constexpr GrTextureFormat_t GR_TEXFMT_ARGB_1555 = 11;
constexpr GrTextureFormat_t GR_TEXFMT_ARGB_4444 = 12;
constexpr GrTextureFormat_t GR_TEXFMT_ALPHA_INTENSITY_88 = 13;
constexpr GrTextureFormat_t GR_TEXFMT_AP_88 = 14;

constexpr GrTexTable_t GR_TEXTABLE_NCC0 = 0;
constexpr GrTexTable_t GR_TEXTABLE_NCC1 = 1;
constexpr GrTexTable_t GR_TEXTABLE_PALETTE = 2;

constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_POINT_SAMPLED = 0;
constexpr GrTextureFilterMode_t GR_TEXTUREFILTER_BILINEAR = 1;
constexpr GrTextureClampMode_t GR_TEXTURECLAMP_WRAP = 0;
constexpr GrTextureClampMode_t GR_TEXTURECLAMP_CLAMP = 1;
constexpr GrMipMapMode_t GR_MIPMAP_DISABLE = 0;
constexpr GrMipMapMode_t GR_MIPMAP_NEAREST = 1;
constexpr GrMipMapMode_t GR_MIPMAP_NEAREST_DITHER = 2;

// Combine units.
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_ZERO = 0x0;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_NONE = GR_COMBINE_FUNCTION_ZERO;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL = 0x1;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_LOCAL_ALPHA = 0x2;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER = 0x3;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND_OTHER = GR_COMBINE_FUNCTION_SCALE_OTHER;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL = 0x4;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA = 0x5;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL = 0x6;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL = 0x7;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND = 0x7;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA = 0x8;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL = 0x9;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_BLEND_LOCAL = 0x9;
constexpr GrCombineFunction_t GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA = 0x10;

constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ZERO = 0x0;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_NONE = GR_COMBINE_FACTOR_ZERO;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL = 0x1;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_OTHER_ALPHA = 0x2;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOCAL_ALPHA = 0x3;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_TEXTURE_ALPHA = 0x4;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_DETAIL_FACTOR = 0x4;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_LOD_FRACTION = 0x5;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE = 0x8;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL = 0x9;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA = 0xa;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA = 0xb;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA = 0xc;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_DETAIL_FACTOR = 0xc;
constexpr GrCombineFactor_t GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION = 0xd;

constexpr GrCombineLocal_t GR_COMBINE_LOCAL_ITERATED = 0x0;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_CONSTANT = 0x1;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_NONE = GR_COMBINE_LOCAL_CONSTANT;
constexpr GrCombineLocal_t GR_COMBINE_LOCAL_DEPTH = 0x2;
constexpr GrCombineOther_t GR_COMBINE_OTHER_ITERATED = 0x0;
constexpr GrCombineOther_t GR_COMBINE_OTHER_TEXTURE = 0x1;
constexpr GrCombineOther_t GR_COMBINE_OTHER_CONSTANT = 0x2;
constexpr GrCombineOther_t GR_COMBINE_OTHER_NONE = GR_COMBINE_OTHER_CONSTANT;

// Blending.
constexpr GrAlphaBlendFnc_t GR_BLEND_ZERO = 0x0;
constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_ALPHA = 0x1;
constexpr GrAlphaBlendFnc_t GR_BLEND_SRC_COLOR = 0x2;
constexpr GrAlphaBlendFnc_t GR_BLEND_DST_COLOR = 0x2;
constexpr GrAlphaBlendFnc_t GR_BLEND_DST_ALPHA = 0x3;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE = 0x4;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_ALPHA = 0x5;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_SRC_COLOR = 0x6;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_COLOR = 0x6;
constexpr GrAlphaBlendFnc_t GR_BLEND_ONE_MINUS_DST_ALPHA = 0x7;
constexpr GrAlphaBlendFnc_t GR_BLEND_ALPHA_SATURATE = 0xf;

constexpr GrCullMode_t GR_CULL_DISABLE = 0;
constexpr GrCullMode_t GR_CULL_NEGATIVE = 1;
constexpr GrCullMode_t GR_CULL_POSITIVE = 2;

constexpr GrDitherMode_t GR_DITHER_DISABLE = 0;
constexpr GrDitherMode_t GR_DITHER_2x2 = 1;
constexpr GrDitherMode_t GR_DITHER_4x4 = 2;

// Opening the device.
constexpr GrScreenResolution_t GR_RESOLUTION_640x480 = 7;
constexpr GrScreenResolution_t GR_RESOLUTION_800x600 = 8;
constexpr GrScreenResolution_t GR_RESOLUTION_1024x768 = 12;
constexpr GrScreenRefresh_t GR_REFRESH_60Hz = 0;
constexpr GrColorFormat_t GR_COLORFORMAT_ARGB = 0;
constexpr GrColorFormat_t GR_COLORFORMAT_ABGR = 1;
constexpr GrColorFormat_t GR_COLORFORMAT_RGBA = 2;
constexpr GrColorFormat_t GR_COLORFORMAT_BGRA = 3;
constexpr GrOriginLocation_t GR_ORIGIN_UPPER_LEFT = 0;
constexpr GrOriginLocation_t GR_ORIGIN_LOWER_LEFT = 1;

// Library and board.
void grGlideGetVersion(char version[80]);
void grGlideInit();
void grGlideShutdown();
FxBool grSstQueryHardware(GrHwConfiguration* hwconfig);
void grSstSelect(int which_sst);
FxBool grSstWinOpen(FxU32 hWnd, GrScreenResolution_t resolution, GrScreenRefresh_t refresh,
                    GrColorFormat_t color_format, GrOriginLocation_t origin, int nColBuffers,
                    int nAuxBuffers);
FxU32 grSstScreenWidth();
FxU32 grSstScreenHeight();

// Texture memory on the one texture unit.
FxU32 grTexMinAddress(GrChipID_t tmu);
FxU32 grTexMaxAddress(GrChipID_t tmu);
FxU32 grTexTextureMemRequired(FxU32 evenOdd, GrTexInfo* info);
void grTexDownloadMipMap(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);
void grTexDownloadTable(GrChipID_t tmu, GrTexTable_t type, void* data);
void grTexSource(GrChipID_t tmu, FxU32 startAddress, FxU32 evenOdd, GrTexInfo* info);
void grTexCombine(GrChipID_t tmu, GrCombineFunction_t rgb_function, GrCombineFactor_t rgb_factor,
                  GrCombineFunction_t alpha_function, GrCombineFactor_t alpha_factor,
                  FxBool rgb_invert, FxBool alpha_invert);
void grTexFilterMode(GrChipID_t tmu, GrTextureFilterMode_t minfilter_mode,
                     GrTextureFilterMode_t magfilter_mode);
void grTexMipMapMode(GrChipID_t tmu, GrMipMapMode_t mode, FxBool lodBlend);
void grTexClampMode(GrChipID_t tmu, GrTextureClampMode_t s_clampmode,
                    GrTextureClampMode_t t_clampmode);

// Pixel pipeline state.
void grColorCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grAlphaCombine(GrCombineFunction_t function, GrCombineFactor_t factor, GrCombineLocal_t local,
                    GrCombineOther_t other, FxBool invert);
void grAlphaBlendFunction(GrAlphaBlendFnc_t rgb_sf, GrAlphaBlendFnc_t rgb_df,
                          GrAlphaBlendFnc_t alpha_sf, GrAlphaBlendFnc_t alpha_df);
void grConstantColorValue(GrColor_t value);
void grCullMode(GrCullMode_t mode);
void grDitherMode(GrDitherMode_t mode);
void grClipWindow(FxU32 minx, FxU32 miny, FxU32 maxx, FxU32 maxy);

// Buffers.
void grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth);
void grBufferSwap(int swap_interval);

// Primitives.
void grDrawPoint(const GrVertex* pt);
void grAADrawPoint(const GrVertex* pt);
void grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c);
void grAADrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c, FxBool ab_antialias,
                      FxBool bc_antialias, FxBool ca_antialias);
void guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b, const GrVertex* c);
