// File queries and atomic replacement on POSIX: stat, fsync, rename and unnamed temporary files.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/system/file_ops.h"

namespace {

std::string folder_of(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string leaf_of(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(-1); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// The path with the symbolic links at its end followed, a link to a missing file included (the
// file is then created where the link points). Links among the folders are left to the kernel:
// a rename within the folder goes through them anyway.
bool follow_links(std::string path, std::string* out) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *out = path;
            return true;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return false;
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        if (link[0] != '/') {
            std::string::size_type slash = path.rfind('/');
            if (slash != std::string::npos) link = path.substr(0, slash + 1) + link;
        }
        path = std::move(link);
    }
    return false;  // a loop of links
}

constexpr char kTempPrefix[] = ".lumivex-save-";
constexpr char kTempSuffix[] = ".tmp";

// A name of our own that no file of this process has had yet.
std::string next_temp_name() {
    static std::atomic<unsigned> counter{0};
    return kTempPrefix + std::to_string(static_cast<long>(::getpid())) + "-" +
           std::to_string(counter.fetch_add(1)) + kTempSuffix;
}

// The writer's process id in one of our temporary names; 0 for any other name.
long writer_of_temp_name(const char* name) {
    std::string_view text(name);
    std::string_view prefix(kTempPrefix);
    std::string_view suffix(kTempSuffix);
    if (text.size() <= prefix.size() + suffix.size() || !text.starts_with(prefix) ||
        !text.ends_with(suffix)) {
        return 0;
    }
    text = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    const std::string_view::size_type dash = text.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == text.size()) return 0;
    long pid = 0;
    for (std::string_view::size_type i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == dash) continue;
        if (c < '0' || c > '9') return 0;
        if (i < dash && pid < 1000000000L) pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool process_is_running(long pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Removes the temporary files of earlier saves whose writer is gone: a save killed between
// creating its file and renaming it leaves one. A writer at work holds a lock on its file from
// the start, and its process runs; a file is removed only when neither holds.
void remove_stale_temp_files(int dir_fd) {
    const int scan_fd = ::dup(dir_fd);
    if (scan_fd < 0) return;
    DIR* dir = ::fdopendir(scan_fd);
    if (!dir) {
        ::close(scan_fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const long pid = writer_of_temp_name(entry->d_name);
        if (pid == 0 || process_is_running(pid)) continue;
        Fd file(::openat(dir_fd, entry->d_name,
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened {};
        struct stat named {};
        if (!file.ok() || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
            continue;
        }
        // Still the file that was locked under that name.
        if (::fstatat(dir_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
            ::unlinkat(dir_fd, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

// A new file in the folder that has no name, so that nothing is left of it if the process
// dies before it is complete; -1 where the file system has no such files.
int open_unnamed_file(int dir_fd) {
    const int fd = ::openat(dir_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

// Gives the complete unnamed file a temporary name, to be renamed over the target: through
// /proc, which needs no privilege, or directly where the process may do that.
bool link_unnamed_file(int fd, int dir_fd, std::string* temp) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = next_temp_name();
        if (::linkat(AT_FDCWD, self.c_str(), dir_fd, temp->c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(fd, "", dir_fd, temp->c_str(), AT_EMPTY_PATH) == 0) {
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

// A new file under a temporary name, locked for as long as it is open.
int open_named_file(int dir_fd, std::string* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = next_temp_name();
        const int fd = ::openat(dir_fd, temp->c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) return -1;
    }
    return -1;
}

bool write_and_sync(int fd, std::string_view bytes, const mode_t* mode) {
    if (mode && ::fchmod(fd, *mode & 07777) != 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    while (::fsync(fd) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
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

bool replace_file_contents(const char* target, std::string_view bytes) {
    if (!target || !*target) return false;
    std::string real;
    if (!follow_links(target, &real)) return false;
    struct stat old {};
    const bool exists = ::stat(real.c_str(), &old) == 0;
    // A folder, a device or a FIFO is no file to replace; nor is one its owner made read-only.
    if (exists && (!S_ISREG(old.st_mode) || ::access(real.c_str(), W_OK) != 0)) return false;
    Fd dir(::open(folder_of(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) return false;
    remove_stale_temp_files(dir.get());

    const std::string leaf = leaf_of(real);
    const mode_t* mode = exists ? &old.st_mode : nullptr;
    std::string temp;
    Fd file(open_unnamed_file(dir.get()));
    bool linked = false;
    if (file.ok()) {
        if (!write_and_sync(file.get(), bytes, mode)) return false;  // unnamed: nothing to remove
        linked = link_unnamed_file(file.get(), dir.get(), &temp);
    }
    if (!linked) {
        // No unnamed files here (or no way to name one): a hidden name from the start.
        file.reset(open_named_file(dir.get(), &temp));
        if (!file.ok()) return false;
        if (!write_and_sync(file.get(), bytes, mode)) {
            ::unlinkat(dir.get(), temp.c_str(), 0);
            return false;
        }
    }
    if (::renameat(dir.get(), temp.c_str(), dir.get(), leaf.c_str()) != 0) {
        ::unlinkat(dir.get(), temp.c_str(), 0);
        return false;
    }
    // The new name is durable only once the folder is synced. Some file systems cannot sync a
    // folder; the file has been replaced all the same.
    ::fsync(dir.get());
    return true;
}
