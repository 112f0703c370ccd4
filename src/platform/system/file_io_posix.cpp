// The Windows file calls on POSIX file descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/system/file_io.h"

namespace {

HANDLE to_handle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }

int to_fd(HANDLE h) {
    if (h == nullptr || h == INVALID_HANDLE_VALUE) return -1;
    return static_cast<int>(reinterpret_cast<std::intptr_t>(h) - 1);
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD /*share*/, SECURITY_ATTRIBUTES* /*sec*/,
                   DWORD disposition, DWORD /*flags*/, HANDLE /*template_file*/) {
    if (!name) return INVALID_HANDLE_VALUE;
    // Only reading and opening an existing file are asked for.
    if (access != GENERIC_READ || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
    // Non-blocking, so that a FIFO with nobody at its other end cannot hold the open for ever;
    // no controlling terminal, whatever device the name leads to.
    int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    // Only regular files: a FIFO, a device such as /dev/zero or a folder fails as if it were
    // missing, since reading one may wait or run for ever.
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    return to_handle(fd);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD to_read, DWORD* read, void* /*overlapped*/) {
    if (read) *read = 0;
    int fd = to_fd(file);
    if (fd < 0) return 0;
    auto* p = static_cast<char*>(buffer);
    DWORD done = 0;
    while (done < to_read) {
        ssize_t n = ::read(fd, p + done, to_read - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (read) *read = done;
            return 0;
        }
        if (n == 0) break;
        done += static_cast<DWORD>(n);
    }
    if (read) *read = done;
    return 1;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method) {
    int fd = to_fd(file);
    if (fd < 0) return INVALID_SET_FILE_POINTER;
    off_t offset = distance;
    if (distance_high)
        offset = static_cast<off_t>((static_cast<std::uint64_t>(*distance_high) << 32) |
                                    static_cast<DWORD>(distance));
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_END ? SEEK_END : SEEK_CUR;
    off_t pos = ::lseek(fd, offset, whence);
    if (pos < 0) return INVALID_SET_FILE_POINTER;
    if (distance_high) *distance_high = static_cast<LONG>(static_cast<std::uint64_t>(pos) >> 32);
    return static_cast<DWORD>(pos);
}

BOOL CloseHandle(HANDLE handle) {
    int fd = to_fd(handle);
    if (fd < 0) return 0;
    return ::close(fd) == 0 ? 1 : 0;
}
