// The resource table: every list of linked resources, searched by id and type.
#include "resources/resource_table.h"

#include <cctype>

namespace {

bool same_type(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (std::toupper(static_cast<unsigned char>(*a)) !=
            std::toupper(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

// Add a kind of resource by adding its list here.
using ResourceList = std::span<const ResourceEntry> (*)();
constexpr ResourceList kLists[] = {texture_resources};

}  // namespace

const ResourceEntry* find_resource(int id, const char* type) {
    if (!type) return nullptr;
    for (ResourceList list : kLists) {
        for (const ResourceEntry& e : list()) {
            if (e.id == id && same_type(e.type, type)) return &e;
        }
    }
    return nullptr;
}
