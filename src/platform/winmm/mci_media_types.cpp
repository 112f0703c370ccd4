// The device type names and file extensions the MCI interpreter knows.
#include "platform/winmm/mci_media_types.h"

#include "platform/winmm/mci_command.h"

namespace {

struct Known {
    const char* name;
    MciDeviceType type;
};

constexpr Known kDeviceTypes[] = {
    {"waveaudio", MciDeviceType::WaveAudio},   {"cdaudio", MciDeviceType::CdAudio},
    {"sequencer", MciDeviceType::Unsupported}, {"avivideo", MciDeviceType::Unsupported},
    {"mpegvideo", MciDeviceType::Unsupported}, {"digitalvideo", MciDeviceType::Unsupported},
    {"videodisc", MciDeviceType::Unsupported}, {"vcr", MciDeviceType::Unsupported},
    {"overlay", MciDeviceType::Unsupported},   {"scanner", MciDeviceType::Unsupported},
    {"animation", MciDeviceType::Unsupported}, {"dat", MciDeviceType::Unsupported},
    {"other", MciDeviceType::Unsupported},     {"qtwvideo", MciDeviceType::Unsupported},
};

constexpr Known kExtensions[] = {
    {"wav", MciDeviceType::WaveAudio},    {"cda", MciDeviceType::CdAudio},
    {"mid", MciDeviceType::Unsupported},  {"midi", MciDeviceType::Unsupported},
    {"rmi", MciDeviceType::Unsupported},  {"kar", MciDeviceType::Unsupported},
    {"au", MciDeviceType::Unsupported},   {"snd", MciDeviceType::Unsupported},
    {"aif", MciDeviceType::Unsupported},  {"aiff", MciDeviceType::Unsupported},
    {"aifc", MciDeviceType::Unsupported}, {"avi", MciDeviceType::Unsupported},
    {"mov", MciDeviceType::Unsupported},  {"qt", MciDeviceType::Unsupported},
    {"dat", MciDeviceType::Unsupported},  {"mpg", MciDeviceType::Unsupported},
    {"mpeg", MciDeviceType::Unsupported}, {"mpv", MciDeviceType::Unsupported},
    {"mpe", MciDeviceType::Unsupported},  {"m1v", MciDeviceType::Unsupported},
    {"m2v", MciDeviceType::Unsupported},  {"mp2", MciDeviceType::Unsupported},
    {"mp3", MciDeviceType::Unsupported},  {"mpa", MciDeviceType::Unsupported},
    {"wma", MciDeviceType::Unsupported},  {"wmv", MciDeviceType::Unsupported},
    {"asf", MciDeviceType::Unsupported},
};

}  // namespace

MciDeviceType device_type_named(std::string_view name) {
    for (const Known& k : kDeviceTypes) {
        if (iequals(name, k.name)) return k.type;
    }
    return MciDeviceType::Unknown;
}

MciDeviceType device_type_of_file(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return MciDeviceType::Unknown;
    }
    const std::string_view extension = path.substr(dot + 1);
    for (const Known& k : kExtensions) {
        if (iequals(extension, k.name)) return k.type;
    }
    return MciDeviceType::Unknown;
}
