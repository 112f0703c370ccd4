// File queries and the steps of an atomic file replacement, in the Windows vocabulary.
#pragma once

#include <string>

#include "platform/system/file_io.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001u;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010u;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001u;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008u;

// The attributes of a file or folder, or INVALID_FILE_ATTRIBUTES when there is none at the path.
DWORD GetFileAttributesA(const char* name);
// Forces the file's data to the disk.
BOOL FlushFileBuffers(HANDLE file);
// Renames a file; with MOVEFILE_REPLACE_EXISTING an existing target file is replaced in one step,
// and with MOVEFILE_WRITE_THROUGH the rename itself reaches the disk before the call returns.
BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags);
BOOL DeleteFileA(const char* name);

// Creates a new, empty file with a name no other file has, in the folder of `target`, open for
// writing, so that it can later replace `target` by a rename. When `target` exists its permission
// bits are given to the new file; a `target` that may not be written is refused. Returns
// INVALID_HANDLE_VALUE on failure; the name goes to `temp_name`.
HANDLE create_temp_file_beside(const char* target, std::string* temp_name);
