// Writing a whole file so that a failure never leaves a damaged or missing one behind.
#pragma once

#include <string>
#include <string_view>

// Writes the bytes to a new file beside path, syncs it and renames it over path. False when any
// step failed; the file at path is then as it was, and the new file is removed.
bool replace_file_contents(const std::string& path, std::string_view bytes);
