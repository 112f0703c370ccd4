// File queries and atomic replacement on POSIX: stat, fsync, rename and an exclusive create.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "platform/system/file_ops.h"

namespace {

// The same encoding file_io_posix.cpp uses: the descriptor plus one, so that 0 is never a handle.
HANDLE to_handle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }

int to_fd(HANDLE h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return -1;
    return static_cast<int>(reinterpret_cast<std::intptr_t>(h) - 1);
}

std::string folder_of(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

DWORD GetFileAttributesA(const char* name) {
    struct stat st {};
    if (!name || ::stat(name, &st) != 0) return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL FlushFileBuffers(HANDLE file) {
    int fd = to_fd(file);
    if (fd < 0) return 0;
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return 0;
    }
    return 1;
}

BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags) {
    if (!existing || !new_name) return 0;
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
        struct stat st {};
        if (::lstat(new_name, &st) == 0) return 0;
    }
    if (::rename(existing, new_name) != 0) return 0;
    if (flags & MOVEFILE_WRITE_THROUGH) {
        // The new directory entry is durable only once the folder itself is synced. Some file
        // systems cannot sync a folder; the rename has happened all the same.
        int dir = ::open(folder_of(new_name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
    return 1;
}

BOOL DeleteFileA(const char* name) {
    if (!name) return 0;
    return ::unlink(name) == 0 ? 1 : 0;
}

HANDLE create_temp_file_beside(const char* target, std::string* temp_name) {
    if (!target || !temp_name) return INVALID_HANDLE_VALUE;
    static std::atomic<unsigned> counter{0};
    std::string folder = folder_of(target);
    struct stat target_stat {};
    bool target_exists = ::stat(target, &target_stat) == 0 && S_ISREG(target_stat.st_mode);
    // A file its owner made read-only is not replaced, as opening it for writing would fail too.
    if (target_exists && ::access(target, W_OK) != 0) return INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char leaf[64];
        std::snprintf(leaf, sizeof leaf, "/.lumivex-save-%ld-%u.tmp", static_cast<long>(::getpid()),
                      counter.fetch_add(1));
        std::string name = folder + leaf;
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR) continue;
            return INVALID_HANDLE_VALUE;
        }
        if (target_exists) ::fchmod(fd, target_stat.st_mode & 07777);
        *temp_name = name;
        return to_handle(fd);
    }
    return INVALID_HANDLE_VALUE;
}
