// The registry file on POSIX: its path, reading it once per change, and the locked, atomic rewrite.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/registry/reg_file.h"

namespace lumivex::reg {
namespace {

// A settings file is a few kilobytes; anything this large is not one and is left alone.
constexpr off_t kMaxFileBytes = 64 * 1024 * 1024;

// A file changed this long ago cannot change again without its modification time changing too.
// A younger one can, by a write within the same tick of the file system's clock (a jiffy, or one
// or two seconds on some file systems), so its text is compared before the parse is trusted.
constexpr time_t kSettleSeconds = 3;

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

std::string home_folder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buf(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd pw{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

std::string folder_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool make_folders(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/') continue;
        std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool write_all(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// What tells one state of the file from another without reading it.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

FileStamp stamp_of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

bool same_time(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool same_stamp(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size &&
           same_time(a.modified, b.modified) && same_time(a.changed, b.changed);
}

// The whole file as text, with the stamp of the file it came from.
ReadResult read_text(const std::string& path, std::string& text, FileStamp& stamp) {
    text.clear();
    if (path.empty()) return ReadResult::Missing;
    // Non-blocking, so a FIFO put in the file's place cannot hang the saver.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes)
        return ReadResult::Failed;
    stamp = stamp_of(st);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ReadResult::Failed;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
        if (bytes.size() > static_cast<std::size_t>(kMaxFileBytes)) return ReadResult::Failed;
    }
    // 8-bit text needs no decoding, and so no second copy of a large file.
    text = bytes.starts_with("\xFF\xFE") ? decode_reg_text(bytes) : std::move(bytes);
    return ReadResult::Ok;
}

// The parsed file of this process. The text is kept only while the file is young enough to change
// without a new stamp.
struct HiveCache {
    std::mutex mutex;
    std::string path;
    std::shared_ptr<const Hive> hive;  // null until a file was read
    FileStamp stamp;
    bool settled = false;
    std::string text;
};

bool replace_file(const std::string& target, const std::string& data) {
    // Follow a symbolic link, so a linked settings file stays linked.
    std::string real = target;
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
        real = resolved;
        std::free(resolved);
    }
    mode_t mode = 0600;
    struct stat st {};
    if (::stat(real.c_str(), &st) == 0) mode = st.st_mode & 07777;

    std::string temp = real + ".XXXXXX";
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.ok()) return false;
    bool ok = ::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), data) && ::fsync(fd.get()) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), real.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename is only durable once the folder is; some file systems refuse this, which is fine.
    Fd dir(::open(folder_of(real).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.ok()) ::fsync(dir.get());
    return true;
}

}  // namespace

std::string registry_path() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // Relative values are invalid by the XDG rules and ignored.
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        std::string home = home_folder();
        if (home.empty()) return {};
        base = home + (home.ends_with('/') ? ".config" : "/.config");
    }
    while (base.size() > 1 && base.ends_with('/')) base.pop_back();
    return base + "/lumivex/registry.reg";
}

ReadResult read_registry_text(const std::string& path, std::string& text) {
    FileStamp stamp;
    return read_text(path, text, stamp);
}

std::shared_ptr<const Hive> load_hive() {
    static const auto empty = std::make_shared<const Hive>();
    static HiveCache cache;
    const std::string path = registry_path();
    std::lock_guard lock(cache.mutex);
    if (cache.hive && cache.settled && cache.path == path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            same_stamp(stamp_of(st), cache.stamp))
            return cache.hive;
    }
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::string text;
    FileStamp stamp;
    if (read_text(path, text, stamp) != ReadResult::Ok) return empty;
    const bool unchanged = cache.hive && !cache.settled && cache.path == path &&
                           same_stamp(stamp, cache.stamp) && text == cache.text;
    if (!unchanged) {
        cache.hive = std::make_shared<const Hive>(replay_text(text));
        cache.path = path;
        cache.stamp = stamp;
    }
    cache.settled = stamp.modified.tv_sec < now.tv_sec - kSettleSeconds;
    cache.text = cache.settled ? std::string() : std::move(text);
    return cache.hive;
}

LSTATUS update_registry(const std::function<bool(Document&)>& edit) {
    std::string path = registry_path();
    if (path.empty() || !make_folders(folder_of(path))) return ERROR_ACCESS_DENIED;

    // flock locks belong to the open file, so each call opens its own: threads of one process
    // exclude each other exactly as separate processes do.
    std::string lock_path = path + ".lock";
    Fd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
    if (!lock.ok()) return ERROR_ACCESS_DENIED;
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return ERROR_ACCESS_DENIED;
    }

    std::string text;
    // What cannot be read cannot be kept, so it is not overwritten either.
    if (read_registry_text(path, text) == ReadResult::Failed) return ERROR_ACCESS_DENIED;
    Document doc = parse_document(text);
    if (!edit(doc)) return ERROR_SUCCESS;
    return replace_file(path, serialize(doc)) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace lumivex::reg
