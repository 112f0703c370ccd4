// The registry file on POSIX: its path, reading it once per change, and the locked, atomic rewrite.
#include <dirent.h>
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
#include <random>
#include <string_view>
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

// Temporary files are "<file>.XXXXXX.tmp" beside the file they replace, XXXXXX from these.
constexpr std::string_view kTempChars =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kTempCharCount = 6;
constexpr std::string_view kTempSuffix = ".tmp";

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
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

std::string leaf_of(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// "<file>.XXXXXX.tmp", and "<file>.XXXXXX" as earlier versions named them. Six lower-case letters
// or six digits in the older form are a name a person gives a copy ("registry.reg.backup"), which
// is never taken for one of ours.
bool temporary_name(std::string_view entry, std::string_view file) {
    if (!entry.starts_with(file) || entry.size() <= file.size() || entry[file.size()] != '.')
        return false;
    std::string_view tag = entry.substr(file.size() + 1);
    const bool current =
        tag.size() == kTempCharCount + kTempSuffix.size() && tag.ends_with(kTempSuffix);
    if (current) tag.remove_suffix(kTempSuffix.size());
    if (tag.size() != kTempCharCount || tag.find_first_not_of(kTempChars) != std::string_view::npos)
        return false;
    return current || (tag.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != tag.npos &&
                       tag.find_first_not_of("0123456789") != tag.npos);
}

// Removes the temporary files of writers that were killed between creating one and renaming it.
// Called under the store's lock, which every writer holds from its temporary file's creation to
// its rename; besides, each writer keeps its temporary file locked, so one that is still locked
// belongs to a writer alive elsewhere and stays.
void remove_stale_temporaries(const std::string& folder, const std::string& file) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (temporary_name(entry->d_name, file)) names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    for (const std::string& name : names) {
        std::string path = folder + '/' + name;
        Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        struct stat st {};
        if (!fd.ok() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
}

std::string new_temporary_name(const std::string& real) {
    std::random_device random;
    std::uniform_int_distribution<std::size_t> pick(0, kTempChars.size() - 1);
    std::string name = real + '.';
    for (std::size_t i = 0; i < kTempCharCount; ++i) name += kTempChars[pick(random)];
    name += kTempSuffix;
    return name;
}

bool fill(int fd, mode_t mode, const std::string& data) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fchmod(fd, mode) == 0 && write_all(fd, data) &&
           ::fsync(fd) == 0;
}

// The data in a file without a name in folder, given a temporary name only once it is complete
// and durable: a writer killed before that leaves nothing behind. Fails where the file system
// (or a missing /proc) does not allow it.
bool write_unnamed(const std::string& real, mode_t mode, const std::string& data, Fd& fd,
                   std::string& temp) {
#ifdef O_TMPFILE
    fd.reset(::open(folder_of(real).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!fd.ok() || !fill(fd.get(), mode, data)) return false;
    const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = new_temporary_name(real);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
#else
    (void)real, (void)mode, (void)data, (void)fd, (void)temp;
#endif
    return false;
}

bool write_named(const std::string& real, mode_t mode, const std::string& data, Fd& fd,
                 std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = new_temporary_name(real);
        fd.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
        if (fd.ok()) break;
        if (errno != EEXIST) return false;
    }
    if (!fd.ok()) return false;
    if (fill(fd.get(), mode, data)) return true;
    ::unlink(temp.c_str());
    return false;
}

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

    remove_stale_temporaries(folder_of(real), leaf_of(real));
    // The temporary file stays open, and so locked, until it has been renamed.
    Fd fd(-1);
    std::string temp;
    if (!write_unnamed(real, mode, data, fd, temp) && !write_named(real, mode, data, fd, temp))
        return false;
    if (::rename(temp.c_str(), real.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    fd.reset();
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
