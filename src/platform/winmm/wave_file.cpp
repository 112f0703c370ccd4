// The RIFF wave reader: walks the chunks, reads "fmt ", finds "data", trusts no size blindly.
#include "platform/winmm/wave_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

std::FILE* open_wave_file(const std::string& path, MCIERROR* error) {
    // Non-blocking, so that a FIFO with nobody at its other end cannot hold the open for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        *error = errno == ENOENT || errno == ENOTDIR ? MCIERR_FILE_NOT_FOUND : MCIERR_FILE_READ;
        return nullptr;
    }
    // Reading a FIFO or a device may wait or run for ever: only regular files are played.
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = MCIERR_FILE_NOT_FOUND;
        return nullptr;
    }
    std::FILE* file = nullptr;
    if (flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        *error = MCIERR_FILE_READ;
    }
    return file;
}

MCIERROR read_wave_file(const std::string& path, WaveFileLayout* layout) {
    MCIERROR error = 0;
    File file(open_wave_file(path, &error));
    if (!file) return error;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return MCIERR_FILE_READ;
    const long end = std::ftell(file.get());
    if (end < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return MCIERR_FILE_READ;
    const auto file_size = static_cast<std::uint64_t>(end);

    unsigned char riff[12];
    if (std::fread(riff, 1, 12, file.get()) != 12 || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        return MCIERR_INVALID_FILE;
    }
    bool have_format = false, have_data = false;
    std::uint16_t tag = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    std::uint64_t data_offset = 0, data_size = 0;
    std::uint64_t pos = 12;
    while (pos + 8 <= file_size && !(have_format && have_data)) {
        unsigned char head[8];
        if (std::fseek(file.get(), static_cast<long>(pos), SEEK_SET) != 0 ||
            std::fread(head, 1, 8, file.get()) != 8) {
            break;
        }
        const std::uint32_t size = le32(head + 4);
        const std::uint64_t body = pos + 8;
        if (std::memcmp(head, "fmt ", 4) == 0 && size >= 16) {
            unsigned char fmt[40] = {};
            const std::size_t want = size < sizeof fmt ? size : sizeof fmt;
            if (std::fread(fmt, 1, want, file.get()) != want) return MCIERR_INVALID_FILE;
            tag = le16(fmt);
            channels = le16(fmt + 2);
            rate = le32(fmt + 4);
            bits = le16(fmt + 14);
            // The extensible form names its true format in the first two bytes of its GUID.
            if (tag == kFormatExtensible && want >= 26) tag = le16(fmt + 24);
            have_format = true;
        } else if (std::memcmp(head, "data", 4) == 0) {
            data_offset = body;
            // A file cut short holds fewer bytes than its header says.
            data_size = size < file_size - body ? size : file_size - body;
            have_data = true;
        }
        pos = body + size + (size & 1);
    }
    if (!have_format || !have_data) return MCIERR_INVALID_FILE;
    if (tag != WAVE_FORMAT_PCM || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
        rate < 1000 || rate > 384000) {
        return MCIERR_WAVE_OUTPUTSUNSUITABLE;
    }
    WaveFileLayout out;
    out.format.wFormatTag = WAVE_FORMAT_PCM;
    out.format.nChannels = channels;
    out.format.nSamplesPerSec = rate;
    out.format.wBitsPerSample = bits;
    out.format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    out.format.nAvgBytesPerSec = rate * out.format.nBlockAlign;
    out.data_offset = data_offset;
    out.data_bytes = static_cast<std::uint32_t>(data_size - data_size % out.format.nBlockAlign);
    *layout = out;
    return 0;
}
