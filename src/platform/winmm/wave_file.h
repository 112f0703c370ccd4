// Reading the layout of a RIFF wave file: its PCM format and where its samples lie.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/winmm/mci.h"
#include "platform/winmm/wave_out.h"

struct WaveFileLayout {
    WAVEFORMATEX format{};  // with block size and byte rate worked out, not taken on trust
    std::uint64_t data_offset = 0;
    std::uint32_t data_bytes = 0;  // whole sample frames that are really in the file
};

// MCIERR_FILE_NOT_FOUND, MCIERR_FILE_READ, MCIERR_INVALID_FILE (not RIFF WAVE, no "fmt " or
// "data" chunk) or MCIERR_WAVE_OUTPUTSUNSUITABLE (not 8- or 16-bit PCM in one or two channels).
MCIERROR read_wave_file(const std::string& path, WaveFileLayout* layout);

// Opens a wave file for reading without waiting on a FIFO; anything but a regular file fails as
// a missing one does. Null on failure, with *error MCIERR_FILE_NOT_FOUND or MCIERR_FILE_READ.
std::FILE* open_wave_file(const std::string& path, MCIERROR* error);
