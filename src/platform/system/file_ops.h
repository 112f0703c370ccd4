// File queries in the Windows vocabulary, and an atomic file replacement.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/file_io.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001u;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010u;

// The attributes of a file or folder, or INVALID_FILE_ATTRIBUTES when there is none at the path.
DWORD GetFileAttributesA(const char* name);

// Replaces the whole content of the file at `target` with `bytes`: readers see the old file or
// all of the new one, never a part, and the new content is on the disk when it returns true.
// A symbolic link at `target` is followed, so the file it leads to is replaced and the link
// stays. The new file takes the old one's permission bits. It is written unnamed where the file
// system allows that, otherwise under a hidden name of our own (".lumivex-save-PID-N.tmp") in
// the same folder; such names left by writers that are gone (killed ones) are removed on the
// way. False, with the old file as it was and nothing left behind, when any step fails, when
// `target` is not a regular file or may not be written.
bool replace_file_contents(const char* target, std::string_view bytes);
