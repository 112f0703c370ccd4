// Writing a whole file so that a failure never leaves a damaged or missing one behind.
#include "playlist/replace_file.h"

#include "platform/system/file_ops.h"

bool replace_file_contents(const std::string& path, std::string_view bytes) {
    std::string temp_name;
    HANDLE file = create_temp_file_beside(path.c_str(), &temp_name);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExA(temp_name.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileA(temp_name.c_str());
    return ok;
}
