// Writes decoded samples as 16-bit little-endian PCM, with a WAV header when asked to.
#include "file_output.h"

#include <algorithm>
#include <bit>

namespace {

void put_u16(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put_u32(std::uint8_t* p, std::uint32_t v) {
    put_u16(p, v & 0xFFFF);
    put_u16(p + 2, v >> 16);
}

constexpr std::size_t kWriteBlock = 1 << 18;  // samples gathered before a write

}  // namespace

FileOutput::FileOutput(std::FILE* file, bool close_file, bool wav, int channels, int frequency,
                       FileOutputSummary* summary)
    : file_(file),
      close_file_(close_file),
      wav_(wav),
      channels_(channels),
      frequency_(frequency),
      summary_(summary) {
    for (auto& f : frame_) f.resize(4 * 1152);
    pending_.resize(kWriteBlock + 2 * 4 * 1152);
    if (wav_) write_wav_header(0);
}

FileOutput::~FileOutput() {
    end_frame();
    write_out();
    if (wav_) {
        std::uint64_t limit = 0xFFFFFFFFu - 36;
        std::uint32_t size = static_cast<std::uint32_t>(std::min(data_bytes_, limit));
        if (std::fseek(file_, 0, SEEK_SET) == 0) write_wav_header(size);
    }
    if (std::fflush(file_) != 0) failed_ = true;
    if (close_file_ && std::fclose(file_) != 0) failed_ = true;
    if (summary_) *summary_ = FileOutputSummary{frames_done_, failed_};
}

void FileOutput::put_sample(int channel, int value) {
    std::int16_t v = static_cast<std::int16_t>(value);
    put_samples(channel, &v, 1);
}

void FileOutput::put_samples(int channel, const std::int16_t* values, int count) {
    if (channel < 0 || channel >= channels_ || count <= 0) return;
    std::vector<std::int16_t>& f = frame_[channel];
    std::size_t at = count_[channel];
    if (at + static_cast<std::size_t>(count) > f.size()) f.resize(2 * (at + count));
    std::copy_n(values, count, f.data() + at);
    count_[channel] = at + static_cast<std::size_t>(count);
}

void FileOutput::frame_done(int) {
    ++frames_done_;
    end_frame();
    if (pending_size_ >= kWriteBlock) write_out();
}

void FileOutput::end_frame() {
    // As many sample frames as the longer channel has; the shorter is padded with silence.
    std::size_t n = std::max(count_[0], channels_ > 1 ? count_[1] : 0);
    if (n == 0) return;
    std::size_t start = pending_size_;
    pending_size_ += n * channels_;
    if (pending_.size() < pending_size_) pending_.resize(pending_size_);
    std::int16_t* out = pending_.data() + start;
    if (channels_ == 1) {
        std::copy_n(frame_[0].data(), n, out);
    } else {
        for (int k = 0; k < 2; ++k) {
            if (count_[k] < n) {
                if (frame_[k].size() < n) frame_[k].resize(n);
                std::fill(frame_[k].begin() + static_cast<std::ptrdiff_t>(count_[k]),
                          frame_[k].begin() + static_cast<std::ptrdiff_t>(n), std::int16_t{0});
            }
        }
        const std::int16_t* left = frame_[0].data();
        const std::int16_t* right = frame_[1].data();
        for (std::size_t i = 0; i < n; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
    }
    count_[0] = count_[1] = 0;
}

void FileOutput::write_out() {
    std::size_t n = pending_size_;
    if (n == 0) return;
    if constexpr (std::endian::native != std::endian::little) {
        for (std::size_t i = 0; i < n; ++i) {
            auto u = static_cast<std::uint16_t>(pending_[i]);
            pending_[i] = static_cast<std::int16_t>((u >> 8) | (u << 8));
        }
    }
    if (std::fwrite(pending_.data(), 2, n, file_) != n) failed_ = true;
    data_bytes_ += 2 * n;
    pending_size_ = 0;
}

void FileOutput::write_wav_header(std::uint32_t data_bytes) {
    std::uint8_t h[44];
    std::uint32_t block = static_cast<std::uint32_t>(channels_) * 2;
    std::copy_n("RIFF", 4, h);
    put_u32(h + 4, 36 + data_bytes);
    std::copy_n("WAVEfmt ", 8, h + 8);
    put_u32(h + 16, 16);
    put_u16(h + 20, 1);
    put_u16(h + 22, static_cast<unsigned>(channels_));
    put_u32(h + 24, static_cast<std::uint32_t>(frequency_));
    put_u32(h + 28, static_cast<std::uint32_t>(frequency_) * block);
    put_u16(h + 32, block);
    put_u16(h + 34, 16);
    std::copy_n("data", 4, h + 36);
    put_u32(h + 40, data_bytes);
    if (std::fwrite(h, 1, sizeof h, file_) != sizeof h) failed_ = true;
}
