// A PCM output that writes the decoded samples to a file or standard output, as WAV or raw.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "mpeg/pcm_output.h"

// What the output reports when it is destroyed, at the end of the file.
struct FileOutputSummary {
    long frames = 0;      // frame-done calls
    bool failed = false;  // a write failed
};

class FileOutput final : public PcmOutput {
public:
    // Writes to file, closing it at the end when close_file is set. A WAV header is written
    // first when wav is set and completed with the sizes on destruction, which also fills in
    // summary when one is given.
    FileOutput(std::FILE* file, bool close_file, bool wav, int channels, int frequency,
               FileOutputSummary* summary = nullptr);
    ~FileOutput() override;
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;

    void put_sample(int channel, int value) override;
    void put_samples(int channel, const std::int16_t* values, int count) override;
    void frame_done(int flag) override;
    void set_stopped() override {}

private:
    void end_frame();
    void write_out();
    void write_wav_header(std::uint32_t data_bytes);

    std::FILE* file_;
    bool close_file_;
    bool wav_;
    int channels_;
    int frequency_;
    FileOutputSummary* summary_;
    // The current frame, one run of samples per channel; interleaved at the frame's end into
    // the samples waiting to be written.
    std::vector<std::int16_t> frame_[2];
    std::size_t count_[2] = {0, 0};
    std::vector<std::int16_t> pending_;
    std::size_t pending_size_ = 0;
    std::uint64_t data_bytes_ = 0;
    long frames_done_ = 0;
    bool failed_ = false;
};
