// mciSendStringA: reads a command string, finds the device by its alias and carries it out.
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/winmm/mci_cd_audio.h"
#include "platform/winmm/mci_command.h"
#include "platform/winmm/mci_media_types.h"
#include "platform/winmm/mci_observer.h"
#include "platform/winmm/mci_wave_audio.h"

namespace {

struct OpenDevice {
    std::string alias;
    MCIDEVICEID id;
    std::shared_ptr<MciDevice> device;
};

// One command at a time: the commands of the main thread and the player's threads are
// serialised here. Devices never take this lock from their own threads.
struct MciState {
    std::mutex mutex;
    std::vector<OpenDevice> devices;
    MCIDEVICEID next_id = 1;

    std::mutex observer_mutex;
    MciObserver observer;
};

MciState& state() {
    static MciState s;
    return s;
}

// MCI verbs that exist but that no device here carries out.
constexpr const char* kOtherVerbs[] = {
    "pause",    "resume", "seek",   "record", "save",      "cue",    "info",     "capability",
    "sysinfo",  "load",   "window", "put",    "where",     "freeze", "unfreeze", "update",
    "realize",  "step",   "spin",   "delete", "cut",       "copy",   "paste",    "setaudio",
    "setvideo", "signal", "escape", "break",  "configure", "list",   "monitor",  "undo",
};

std::vector<OpenDevice>::iterator find(MciState& s, std::string_view alias) {
    for (auto it = s.devices.begin(); it != s.devices.end(); ++it) {
        if (iequals(it->alias, alias)) return it;
    }
    return s.devices.end();
}

MCIERROR run_open(MciState& s, const MciCommand& c, std::string* answer) {
    MciArgs args(c.args);
    std::string type_name, alias;
    bool has_type = false, has_alias = false;
    while (!args.done()) {
        if (args.accept({"type"})) {
            if (has_type || !args.take(&type_name)) {
                return has_type ? MCIERR_DUPLICATE_FLAGS : MCIERR_MISSING_STRING_ARGUMENT;
            }
            has_type = true;
        } else if (args.accept({"alias"})) {
            if (has_alias || !args.take(&alias)) {
                return has_alias ? MCIERR_DUPLICATE_FLAGS : MCIERR_MISSING_STRING_ARGUMENT;
            }
            has_alias = true;
        } else if (!args.accept({"shareable"})) {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
    }
    const std::string& element = c.device.text;
    if (!has_alias) alias = element;
    if (iequals(alias, "all")) return MCIERR_CANNOT_USE_ALL;
    if (find(s, alias) != s.devices.end()) {
        return has_alias ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
    }

    // The device: the type named, else the element as a type name, else the file's extension.
    MciDeviceType type = MciDeviceType::Unknown;
    bool names_file = true;
    if (has_type) {
        type = device_type_named(type_name);
        if (type == MciDeviceType::Unknown) return MCIERR_INVALID_DEVICE_NAME;
        names_file = !iequals(element, type_name);
    } else {
        if (!c.device.quoted) type = device_type_named(element);
        if (type != MciDeviceType::Unknown) {
            names_file = false;
        } else {
            type = device_type_of_file(element);
            if (type == MciDeviceType::Unknown) {
                return element.find('.') != std::string::npos ? MCIERR_EXTENSION_NOT_FOUND
                                                              : MCIERR_INVALID_DEVICE_NAME;
            }
        }
    }
    std::unique_ptr<MciDevice> device;
    switch (type) {
        case MciDeviceType::WaveAudio:
            if (!names_file) return MCIERR_FILENAME_REQUIRED;
            if (MCIERROR e = MciWaveAudio::open(element, &device)) return e;
            break;
        case MciDeviceType::CdAudio:
            // A TrackNN.cda element names the disc in the drive: the drive is opened.
            if (MCIERROR e = MciCdAudio::open(&device)) return e;
            break;
        default:
            return MCIERR_CANNOT_LOAD_DRIVER;
    }
    const MCIDEVICEID id = s.next_id++;
    s.devices.push_back({alias, id, std::move(device)});
    *answer = std::to_string(id);
    return 0;
}

MCIERROR parse_time_format(const std::string& name, MciTimeFormat* format) {
    if (iequals(name, "ms") || iequals(name, "milliseconds")) {
        *format = MciTimeFormat::Milliseconds;
    } else if (iequals(name, "msf")) {
        *format = MciTimeFormat::Msf;
    } else if (iequals(name, "tmsf")) {
        *format = MciTimeFormat::Tmsf;
    } else if (iequals(name, "bytes")) {
        *format = MciTimeFormat::Bytes;
    } else if (iequals(name, "samples")) {
        *format = MciTimeFormat::Samples;
    } else {
        return MCIERR_BAD_TIME_FORMAT;
    }
    return 0;
}

MCIERROR run_set(MciDevice& device, MciArgs& args) {
    if (args.done()) return MCIERR_MISSING_PARAMETER;
    if (args.accept({"time", "format"})) {
        std::string name;
        if (!args.take(&name)) return MCIERR_MISSING_PARAMETER;
        MciTimeFormat format{};
        if (MCIERROR e = parse_time_format(name, &format)) return e;
        if (!args.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
        return device.set_time_format(format);
    }
    if (args.accept({"door"}) || args.accept({"audio"}) || args.accept({"video"})) {
        return MCIERR_UNSUPPORTED_FUNCTION;
    }
    return MCIERR_UNRECOGNIZED_KEYWORD;
}

MCIERROR run_status(MciDevice& device, MciArgs& args, std::string* answer) {
    MciStatusItem item{};
    bool takes_track = false;
    if (args.accept({"number", "of", "tracks"})) {
        item = MciStatusItem::NumberOfTracks;
    } else if (args.accept({"length"})) {
        item = MciStatusItem::Length;
        takes_track = true;
    } else if (args.accept({"position"})) {
        item = MciStatusItem::Position;
        takes_track = true;
    } else if (args.accept({"mode"})) {
        item = MciStatusItem::Mode;
    } else if (args.accept({"ready"})) {
        item = MciStatusItem::Ready;
    } else if (args.accept({"media", "present"})) {
        item = MciStatusItem::MediaPresent;
    } else if (args.accept({"current", "track"})) {
        item = MciStatusItem::CurrentTrack;
    } else if (args.accept({"time", "format"})) {
        item = MciStatusItem::TimeFormat;
    } else {
        return args.done() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    }
    std::optional<long> track;
    if (takes_track && args.accept({"track"})) {
        std::string text;
        long number = 0;
        if (!args.take(&text)) return MCIERR_MISSING_PARAMETER;
        if (!parse_decimal(text, &number)) return MCIERR_BAD_INTEGER;
        track = number;
    }
    if (!args.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
    return device.status(item, track, answer);
}

MCIERROR parse_play(MciArgs& args, std::optional<std::string>* from,
                    std::optional<std::string>* to) {
    while (!args.done()) {
        std::optional<std::string>* target = nullptr;
        if (args.accept({"from"})) {
            target = from;
        } else if (args.accept({"to"})) {
            target = to;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (target->has_value()) return MCIERR_DUPLICATE_FLAGS;
        std::string value;
        if (!args.take(&value)) return MCIERR_MISSING_PARAMETER;
        *target = value;
    }
    return 0;
}

MCIERROR run(const char* text, HWND callback, std::string* answer) {
    if (!text) return MCIERR_MISSING_COMMAND_STRING;
    MciCommand c;
    if (MCIERROR e = parse_mci_command(text, &c)) return e;
    const std::string& verb = c.verb;
    const bool known = iequals(verb, "open") || iequals(verb, "close") || iequals(verb, "play") ||
                       iequals(verb, "stop") || iequals(verb, "set") || iequals(verb, "status");
    if (!known) {
        for (const char* other : kOtherVerbs) {
            if (iequals(verb, other)) return MCIERR_UNSUPPORTED_FUNCTION;
        }
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    if (c.device.text.empty()) return MCIERR_MISSING_DEVICE_NAME;

    MciState& s = state();
    std::unique_lock lock(s.mutex);
    if (iequals(verb, "open")) {
        const MCIERROR e = run_open(s, c, answer);
        if (e == 0 && c.notify)
            MciNotify{callback, s.devices.back().id}.post(MCI_NOTIFY_SUCCESSFUL);
        return e;
    }
    if (iequals(c.device.text, "all") && !c.device.quoted) {
        if (!iequals(verb, "close")) return MCIERR_CANNOT_USE_ALL;
        if (!c.args.empty()) return MCIERR_UNRECOGNIZED_KEYWORD;
        for (OpenDevice& d : s.devices) d.device->close();
        s.devices.clear();
        if (c.notify) MciNotify{callback, 0}.post(MCI_NOTIFY_SUCCESSFUL);
        return 0;
    }
    auto it = find(s, c.device.text);
    if (it == s.devices.end()) return MCIERR_INVALID_DEVICE_NAME;
    const MciNotify notify{c.notify ? callback : nullptr, it->id};
    std::shared_ptr<MciDevice> device = it->device;
    MciArgs args(c.args);
    MCIERROR e = 0;
    if (iequals(verb, "play")) {
        std::optional<std::string> from, to;
        if ((e = parse_play(args, &from, &to)) != 0) return e;
        if ((e = device->play(from, to, notify)) != 0) return e;
        if (c.wait) {
            lock.unlock();
            device->wait_played();
        }
        return 0;
    }
    if (iequals(verb, "close")) {
        if (!args.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
        device->close();
        s.devices.erase(it);
    } else if (iequals(verb, "stop")) {
        if (!args.done()) return MCIERR_UNRECOGNIZED_KEYWORD;
        e = device->stop();
    } else if (iequals(verb, "set")) {
        e = run_set(*device, args);
    } else {
        e = run_status(*device, args, answer);
    }
    if (e == 0) notify.post(MCI_NOTIFY_SUCCESSFUL);
    return e;
}

}  // namespace

void install_mci_observer(MciObserver observer) {
    MciState& s = state();
    std::lock_guard lock(s.observer_mutex);
    s.observer = std::move(observer);
}

MCIERROR mciSendStringA(const char* command, char* ret, UINT ret_size, HWND callback) {
    if (ret && ret_size > 0) ret[0] = '\0';
    std::string answer;
    MCIERROR result = run(command, callback, &answer);
    if (result != 0) answer.clear();
    if (result == 0 && ret && ret_size > 0) {
        if (answer.size() + 1 > ret_size) {
            result = MCIERR_PARAM_OVERFLOW;
        } else {
            std::memcpy(ret, answer.c_str(), answer.size() + 1);
        }
    }
    MciObserver observer;
    {
        MciState& s = state();
        std::lock_guard lock(s.observer_mutex);
        observer = s.observer;
    }
    if (observer) observer(command ? command : "", result, answer);
    return result;
}
