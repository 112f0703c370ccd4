// Texture memory helpers shared by the device's files: level sizes and the decoded copies.
#pragma once

#include "platform/glide/glide.h"
#include "platform/glide/glide_pipeline.h"

struct GlideDevice;

// Width and height of level `lod` of a chain with the given aspect ratio (each at least 1).
void texture_level_size(GrAspectRatio_t aspect, GrLOD_t lod, int* width, int* height);
int texel_bytes(GrTextureFormat_t format);
bool texture_level_present(FxU32 even_odd, GrLOD_t lod);

// The decoded copy of the texture grTexSource selected (decoded on first use), or null when the
// selection does not describe a texture that fits in memory.
const DecodedTexture* bound_texture(GlideDevice& device);
