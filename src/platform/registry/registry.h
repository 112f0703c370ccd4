// HKEY_CURRENT_USER with the Windows registry calls the settings code is written against.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/win/win.h"

struct HKEY__;
using HKEY = HKEY__*;
using LSTATUS = LONG;
using REGSAM = DWORD;

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u)))

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below HKEY_CURRENT_USER (or below another open key).
LSTATUS RegOpenKeyExA(HKEY parent, const char* sub_key, DWORD options, REGSAM access, HKEY* result);
// Opens a key, creating it (and the keys above it) when missing; the new key is written at once.
LSTATUS RegCreateKeyExA(HKEY parent, const char* sub_key, DWORD reserved, char* class_name,
                        DWORD options, REGSAM access, void* security, HKEY* result,
                        DWORD* disposition);
// Copies a value into the caller's buffer. A buffer smaller than the value fails with
// ERROR_MORE_DATA and *size set to the size needed; REG_SZ values include their NUL.
LSTATUS RegQueryValueExA(HKEY key, const char* name, DWORD* reserved, DWORD* type,
                         std::uint8_t* data, DWORD* size);
// Stores a value; the file is rewritten atomically, keeping every other key, value and line.
LSTATUS RegSetValueExA(HKEY key, const char* name, DWORD reserved, DWORD type,
                       const std::uint8_t* data, DWORD size);
LSTATUS RegCloseKey(HKEY key);

// One value of a batch write: its name, type and bytes (a REG_SZ with its NUL).
struct RegistryValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};
// Stores several values in key's sub_key (null or "" for key itself), creating it when missing, in
// a single locked, atomic rewrite of the file: a crash leaves all of them written or none. Not a
// Windows call; RegSetValueExA rewrites the file once per value. A name that cannot be written
// refuses the whole batch, and an empty batch writes nothing.
LSTATUS set_registry_values(HKEY key, const char* sub_key, std::span<const RegistryValue> values);

// The file that holds HKEY_CURRENT_USER: $XDG_CONFIG_HOME/lumivex/registry.reg, or
// ~/.config/lumivex/registry.reg. Read anew on each open, so tests may change the variable.
const char* registry_file_path();
