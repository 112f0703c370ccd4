// Resources linked into the program, found by numeric id and type name as on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct ResourceEntry {
    int id;
    const char* type;  // "TEXTURE", "BITMAP", ...
    const std::uint8_t* data;
    std::size_t size;
};

// The resource with this id and type (type names compare without regard to case), or null.
const ResourceEntry* find_resource(int id, const char* type);

// The lists the table is made of, one per kind of resource (each in its own file).
std::span<const ResourceEntry> texture_resources();
