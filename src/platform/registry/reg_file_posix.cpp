// The registry file on POSIX: its path, reading it, and the locked, atomic rewrite.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/registry/reg_file.h"

namespace lumivex::reg {
namespace {

// A settings file is a few kilobytes; anything this large is not one and is left alone.
constexpr off_t kMaxFileBytes = 64 * 1024 * 1024;

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
    text.clear();
    if (path.empty()) return ReadResult::Missing;
    // Non-blocking, so a FIFO put in the file's place cannot hang the saver.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.ok()) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes)
        return ReadResult::Failed;
    std::string bytes;
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
    text = decode_reg_text(bytes);
    return ReadResult::Ok;
}

Document load_document() {
    std::string text;
    if (read_registry_text(registry_path(), text) != ReadResult::Ok) return {};
    return parse_document(text);
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
