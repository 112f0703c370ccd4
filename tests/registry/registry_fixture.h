// A private XDG_CONFIG_HOME for each registry test, with helpers to read and plant the file.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "platform/registry/registry.h"

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "lumivex-reg-XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        root_ = tmpl;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(folder(), std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(root_, ec);
    }

public:
    std::filesystem::path folder() const { return root_ / "lumivex"; }
    std::filesystem::path file() const { return folder() / "registry.reg"; }

    void plant(const std::string& bytes) const {
        std::filesystem::create_directories(folder());
        std::ofstream(file(), std::ios::binary) << bytes;
    }
    std::string contents() const {
        std::ifstream in(file(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static HKEY create(const char* path) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    static HKEY open(const char* path) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        return key;
    }
    static LSTATUS set_dword(HKEY key, const char* name, DWORD v) {
        return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&v),
                              4);
    }
    static LSTATUS set_string(HKEY key, const char* name, const std::string& s) {
        return RegSetValueExA(key, name, 0, REG_SZ,
                              reinterpret_cast<const std::uint8_t*>(s.c_str()),
                              static_cast<DWORD>(s.size() + 1));
    }
    // The value's bytes and type, or nothing when the query fails.
    static std::optional<std::pair<DWORD, std::string>> query(HKEY key, const char* name) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        std::string data(size, '\0');
        if (RegQueryValueExA(key, name, nullptr, &type,
                             reinterpret_cast<std::uint8_t*>(data.data()), &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::make_pair(type, data);
    }
    // The way the settings store reads a number: into exactly four bytes.
    static std::optional<DWORD> query_number(HKEY key, const char* name) {
        DWORD v = 0, size = 4;
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<std::uint8_t*>(&v),
                             &size) != ERROR_SUCCESS)
            return std::nullopt;
        return v;
    }
    static std::optional<std::string> query_string(HKEY key, const char* name) {
        auto v = query(key, name);
        if (!v || v->first != REG_SZ || v->second.empty()) return std::nullopt;
        return v->second.substr(0, v->second.size() - 1);
    }

    std::filesystem::path root_;
};
