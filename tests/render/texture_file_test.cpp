// The 3DF reader: the fifteen linked textures, header variants, failures and byte order.
#include "render/texture_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_table.h"

namespace {

constexpr int kTextureIds[] = {153,  155,  156,  158,  159,  160,  1108, 1115,
                               1117, 1119, 1124, 1134, 1135, 1136, 1143};

// A resource's bytes: the header text followed by `texel_bytes` bytes counting up.
std::vector<std::uint8_t> resource(const std::string& header, std::size_t texel_bytes) {
    std::vector<std::uint8_t> out(header.begin(), header.end());
    for (std::size_t i = 0; i < texel_bytes; ++i) out.push_back(static_cast<std::uint8_t>(i));
    return out;
}

const std::string kHeader = "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n";

int load(const std::string& header, std::size_t texel_bytes, TextureFileInfo* out) {
    const auto bytes = resource(header, texel_bytes);
    return load_3df_bytes(bytes, out);
}

TEST(TextureFile, AllFifteenResourcesLoad) {
    for (int id : kTextureIds) {
        const ResourceEntry* entry = find_resource(id, "TEXTURE");
        ASSERT_NE(entry, nullptr) << id;
        EXPECT_EQ(entry->size, 174813u) << id;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->data), 51), kHeader) << id;
        TextureFileInfo info;
        ASSERT_EQ(load_3df_resource(id, &info), 1) << id;
        EXPECT_EQ(info.width, 256u);
        EXPECT_EQ(info.height, 256u);
        EXPECT_EQ(info.small_lod, 8);
        EXPECT_EQ(info.large_lod, 0);
        EXPECT_EQ(info.aspect_ratio, 3);
        EXPECT_EQ(info.format, 10);
        EXPECT_EQ(info.mem_required, 174762u);
        EXPECT_EQ(info.data.size(), 174762u);
    }
    TextureFileInfo info;
    EXPECT_EQ(load_3df_resource(154, &info), 0);
    EXPECT_NE(find_resource(1143, "texture"), nullptr);  // type names ignore case
    EXPECT_EQ(find_resource(1143, "BITMAP"), nullptr);
}

TEST(TextureFile, EachMipLevelIsADownsampleOfTheOneAbove) {
    for (int id : kTextureIds) {
        TextureFileInfo info;
        ASSERT_EQ(load_3df_resource(id, &info), 1);
        const auto* texels = reinterpret_cast<const std::uint16_t*>(info.data.data());
        // Compare each level's mean brightness (in linear light) with the level above.
        double previous = -1;
        for (int size = 256; size >= 1; size /= 2) {
            double sum = 0;
            for (int i = 0; i < size * size; ++i) {
                const std::uint16_t t = *texels++;
                sum += std::pow(((t >> 11) / 31.0 + ((t >> 5) & 63) / 63.0 + (t & 31) / 31.0) / 3,
                                2.2);
            }
            const double mean = sum / (size * size);
            if (previous >= 0 && size >= 4) {
                EXPECT_NEAR(mean, previous, 0.02 + previous * 0.08) << id << " size " << size;
            }
            previous = mean;
        }
    }
}

TEST(TextureFile, CommentLinesAreSkipped) {
    TextureFileInfo plain, commented;
    ASSERT_EQ(load(kHeader, 174762, &plain), 1);
    const std::string with_comments =
        "3df v1.1\n# made by hand\n#\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n";
    ASSERT_EQ(load(with_comments, 174762, &commented), 1);
    EXPECT_EQ(commented.data, plain.data);
    EXPECT_EQ(commented.mem_required, plain.mem_required);
}

TEST(TextureFile, BadHeadersFailAndClearTheRecord) {
    const char* bad[] = {
        "3df v1.1\nrgb565\nlod range: 1 300\naspect ratio: 1 1\n",  // not a power of two
        "3df v1.1\nrgb565\nlod range: 3 256\naspect ratio: 1 1\n",  // not a power of two
        "3df v1.1\nrgb565\nlod range: 256 1\naspect ratio: 1 1\n",  // small above large
        "3df v1.1\nrgb565\nlod range: 1 512\naspect ratio: 1 1\n",  // above 256
        "3df v1.1\nrgb565\nlod range: 1\naspect ratio: 1 1\n",      // one number
        "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 3 1\n",  // no such aspect
        "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1\n",    // one number
        "3df v1.1\nrgb888\nlod range: 1 256\naspect ratio: 1 1\n",  // unknown format
        "3df v1.1\nRGB565\nlod range: 1 256\naspect ratio: 1 1\n",  // names are case-sensitive
        "3df v1.1\n\nlod range: 1 256\naspect ratio: 1 1\n",        // no format word
        "3dg v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n",  // not a 3DF file
        "3df v\nrgb565\nlod range: 1 256\naspect ratio: 1 1\n",     // no version word
        "3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 1 1",    // header runs off the end
    };
    for (const char* header : bad) {
        TextureFileInfo info;
        info.width = 99;
        EXPECT_EQ(load(header, 174762, &info), 0) << header;
        EXPECT_EQ(info.width, 0u);
        EXPECT_TRUE(info.data.empty());
        EXPECT_EQ(info.mem_required, 0u);
    }
}

TEST(TextureFile, AnAspectLongerThanTheLargeSideFails) {
    for (const char* header : {
             "3df v1.1\nrgb565\nlod range: 1 4\naspect ratio: 8 1\n",  // 4 x 0
             "3df v1.1\nrgb565\nlod range: 1 4\naspect ratio: 1 8\n",  // 0 x 4
             "3df v1.1\ni8\nlod range: 1 1\naspect ratio: 2 1\n",      // 1 x 0
         }) {
        TextureFileInfo info;
        EXPECT_EQ(load(header, 1000, &info), 0) << header;
        EXPECT_TRUE(info.data.empty());
        EXPECT_EQ(info.mem_required, 0u);
    }
    // The shortest side may be one texel: 8 x 1.
    TextureFileInfo info;
    ASSERT_EQ(load("3df v1.1\nrgb565\nlod range: 8 8\naspect ratio: 8 1\n", 16, &info), 1);
    EXPECT_EQ(info.width, 8u);
    EXPECT_EQ(info.height, 1u);
    EXPECT_EQ(info.mem_required, 16u);
}

TEST(TextureFile, NumbersInOctalAndHexadecimal) {
    TextureFileInfo info;
    ASSERT_EQ(load("3df v1.1\nrgb565\nlod range: 01 0x100\naspect ratio: 1 1\n", 174762, &info), 1);
    EXPECT_EQ(info.mem_required, 174762u);
    // 010 is eight: a chain from 256 down to 8.
    ASSERT_EQ(load("3df v1.1\nrgb565\nlod range: 010 256\naspect ratio: 1 1\n", 174762, &info), 1);
    EXPECT_EQ(info.mem_required, 2u * (65536 + 16384 + 4096 + 1024 + 256 + 64));
}

TEST(TextureFile, TwoToOneAspect) {
    TextureFileInfo info;
    ASSERT_EQ(load("3df v1.1\nrgb565\nlod range: 1 256\naspect ratio: 2 1\n", 100000, &info), 1);
    EXPECT_EQ(info.width, 256u);
    EXPECT_EQ(info.height, 128u);
    EXPECT_EQ(info.aspect_ratio, 2);
    EXPECT_EQ(info.small_lod, 7);
    EXPECT_EQ(info.large_lod, 0);
    // 256x128, 128x64, ... 2x1 and 1x1.
    EXPECT_EQ(info.mem_required, 2u * 43691);
}

TEST(TextureFile, SixteenBitTexelsAreStoredMostSignificantByteFirst) {
    std::vector<std::uint8_t> bytes(kHeader.begin(), kHeader.end());
    bytes.push_back(0x12);
    bytes.push_back(0x34);
    bytes.resize(kHeader.size() + 174762, 0);
    TextureFileInfo info;
    ASSERT_EQ(load_3df_bytes(bytes, &info), 1);
    std::uint16_t first;
    std::memcpy(&first, info.data.data(), 2);
    EXPECT_EQ(first, 0x1234);
    // One-byte formats are copied as they are.
    ASSERT_EQ(load("3df v1.1\ni8\nlod range: 1 256\naspect ratio: 1 1\n", 87381, &info), 1);
    EXPECT_EQ(info.format, 3);
    EXPECT_EQ(info.mem_required, 87381u);
    EXPECT_EQ(info.data[1], 1);
}

TEST(TextureFile, AHeaderPromisingMoreTexelsThanFollowFails) {
    TextureFileInfo info;
    EXPECT_EQ(load(kHeader, 174761, &info), 0);
    EXPECT_TRUE(info.data.empty());
    EXPECT_EQ(load(kHeader, 0, &info), 0);
    EXPECT_EQ(load(kHeader, 174762 + 10, &info), 1);  // extra bytes after the chain are ignored
}

TEST(TextureFile, TableHelpers) {
    EXPECT_EQ(lod_from_size(256), 0);
    EXPECT_EQ(lod_from_size(2), 7);
    EXPECT_EQ(lod_from_size(1), 8);
    EXPECT_EQ(lod_from_size(300), 8);
    EXPECT_EQ(smallest_lod_for_aspect(3), 8);
    EXPECT_EQ(smallest_lod_for_aspect(4), 7);
    EXPECT_EQ(smallest_lod_for_aspect(1), 6);
    EXPECT_EQ(smallest_lod_for_aspect(6), 5);
    EXPECT_EQ(smallest_lod_for_aspect(9), 8);
    EXPECT_EQ(table_type_for_format(1), 0);
    EXPECT_EQ(table_type_for_format(9), 0);
    EXPECT_EQ(table_type_for_format(5), 2);
    EXPECT_EQ(table_type_for_format(14), 2);
    EXPECT_EQ(table_type_for_format(10), -1);
}

}  // namespace
