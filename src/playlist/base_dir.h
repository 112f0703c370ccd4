// The "%BASE_DIR%" prefix that lets a playlist name files relative to its own folder.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kBaseDirPrefix = "%BASE_DIR%";

// Replaces a leading "%BASE_DIR%" (any case) by the folder; other texts come back unchanged.
std::string expandBaseDir(std::string_view text, std::string_view folder);
// Replaces a leading copy of the folder (compared on the text alone, ignoring case when the folder
// is a Windows path, exactly otherwise) by "%BASE_DIR%"; other paths come back unchanged.
std::string contractBaseDir(std::string_view path, std::string_view folder);
