// Which MCI device plays a medium, by device type name or by file name extension.
#pragma once

#include <string_view>

enum class MciDeviceType {
    WaveAudio,
    CdAudio,
    Unsupported,  // a real MCI device type (MIDI, video, ...) that this system does not have
    Unknown,
};

// "waveaudio", "cdaudio", "sequencer", "avivideo", ... in any case.
MciDeviceType device_type_named(std::string_view name);
// By the extension: .wav, .cda, and the other media's; Unknown without a known extension.
MciDeviceType device_type_of_file(std::string_view path);
