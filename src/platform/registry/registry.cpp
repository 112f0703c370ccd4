// The registry calls: key handles over the .reg file, queries into caller buffers, and writes.
#include "platform/registry/registry.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/reg_file.h"

namespace {

using lumivex::reg::Document;
using lumivex::reg::Value;

struct OpenKey {
    std::vector<std::string> path;
    REGSAM access = 0;
};

// Handles are numbers in a table, so a stale or foreign handle is refused instead of followed.
struct HandleTable {
    std::mutex mutex;
    std::map<std::uintptr_t, OpenKey> keys;
    std::uintptr_t next = 0x10000;
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

std::optional<OpenKey> resolve(HKEY key) {
    if (key == HKEY_CURRENT_USER) return OpenKey{{}, KEY_ALL_ACCESS};
    HandleTable& t = handles();
    std::lock_guard lock(t.mutex);
    auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(key));
    if (it == t.keys.end()) return std::nullopt;
    return it->second;
}

HKEY new_handle(OpenKey key) {
    HandleTable& t = handles();
    std::lock_guard lock(t.mutex);
    std::uintptr_t id = t.next;
    t.next += 4;
    t.keys.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

// Names are split at '\'; empty parts ("A\\B", a leading '\') are skipped.
std::vector<std::string> split_path(const char* sub_key) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = sub_key ? sub_key : ""; *p; ++p) {
        if (*p == '\\') {
            if (!part.empty()) parts.push_back(std::move(part));
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(std::move(part));
    return parts;
}

// A line break in a name would split its line in the file and change what the lines mean.
bool writable_name(const std::string& name) {
    return name.find_first_of("\r\n") == std::string::npos;
}

bool key_exists(const std::vector<std::string>& path) {
    return path.empty() || lumivex::reg::load_hive()->contains(lumivex::reg::path_id(path));
}

// The bytes a value is stored with.
Value stored_value(DWORD type, std::string data) {
    if (type == REG_SZ) {
        // Whatever follows the string's NUL is not part of it.
        std::size_t nul = data.find('\0');
        if (nul != std::string::npos) data.resize(nul + 1);
    }
    return {type, std::move(data)};
}

}  // namespace

LSTATUS RegOpenKeyExA(HKEY parent, const char* sub_key, DWORD /*options*/, REGSAM access,
                      HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    auto base = resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    std::vector<std::string> path = base->path;
    for (auto& part : split_path(sub_key)) path.push_back(std::move(part));
    if (!key_exists(path)) return ERROR_FILE_NOT_FOUND;
    *result = new_handle({std::move(path), access});
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY parent, const char* sub_key, DWORD /*reserved*/, char* /*class_name*/,
                        DWORD /*options*/, REGSAM access, void* /*security*/, HKEY* result,
                        DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    auto base = resolve(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    std::vector<std::string> path = base->path;
    for (auto& part : split_path(sub_key)) {
        if (!writable_name(part)) return ERROR_INVALID_PARAMETER;
        path.push_back(std::move(part));
    }
    // An existing key opens without touching the file, so a read-only folder still works.
    bool created = false;
    if (!key_exists(path)) {
        LSTATUS status = lumivex::reg::update_registry(
            [&](Document& doc) { return created = lumivex::reg::add_key(doc, path); });
        if (status != ERROR_SUCCESS) return status;
    }
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = new_handle({std::move(path), access});
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                         std::uint8_t* data, DWORD* size) {
    if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    auto open = resolve(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if ((open->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::shared_ptr<const lumivex::reg::Hive> hive = lumivex::reg::load_hive();
    auto node = hive->find(lumivex::reg::path_id(open->path));
    if (node == hive->end()) return ERROR_FILE_NOT_FOUND;
    auto stored = node->second.values.find(lumivex::reg::fold(name ? name : ""));
    if (stored == node->second.values.end()) return ERROR_FILE_NOT_FOUND;
    const Value& value = stored->second.value;
    if (type) *type = value.type;
    auto needed = static_cast<DWORD>(value.data.size());
    if (!data) {
        if (size) *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD /*reserved*/, DWORD type,
                       const std::uint8_t* data, DWORD size) {
    if (!data && size > 0) return ERROR_INVALID_PARAMETER;
    std::string value_name = name ? name : "";
    if (!writable_name(value_name)) return ERROR_INVALID_PARAMETER;
    auto open = resolve(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if ((open->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::string bytes;
    if (data) bytes.assign(reinterpret_cast<const char*>(data), size);
    Value value = stored_value(type, std::move(bytes));
    return lumivex::reg::update_registry([&](Document& doc) {
        lumivex::reg::set_value(doc, open->path, value_name, value);
        return true;
    });
}

LSTATUS set_registry_values(HKEY key, const char* sub_key, std::span<const RegistryValue> values) {
    std::vector<lumivex::reg::NamedValue> named;
    for (const RegistryValue& v : values) {
        if (!writable_name(v.name)) return ERROR_INVALID_PARAMETER;
        named.push_back({v.name, stored_value(v.type, v.data)});
    }
    auto open = resolve(key);
    if (!open) return ERROR_INVALID_HANDLE;
    if ((open->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    std::vector<std::string> path = open->path;
    for (auto& part : split_path(sub_key)) {
        if (!writable_name(part)) return ERROR_INVALID_PARAMETER;
        path.push_back(std::move(part));
    }
    if (named.empty()) return ERROR_SUCCESS;
    return lumivex::reg::update_registry([&](Document& doc) {
        lumivex::reg::set_values(doc, path, named);
        return true;
    });
}

LSTATUS RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    HandleTable& t = handles();
    std::lock_guard lock(t.mutex);
    return t.keys.erase(reinterpret_cast<std::uintptr_t>(key)) ? ERROR_SUCCESS
                                                               : ERROR_INVALID_HANDLE;
}

const char* registry_file_path() {
    thread_local std::string path;
    path = lumivex::reg::registry_path();
    return path.c_str();
}
