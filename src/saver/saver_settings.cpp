// Reading and writing the saver's settings in the registry.
#include "saver/saver_settings.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "player/player_state.h"
#include "saver/working_copies.h"

namespace {

SaverSettings* g_settings = nullptr;

// The playlist path is read whole up to this size; longer values are not taken.
constexpr DWORD kMaxPlaylistPathBytes = 4096;

// The own key's numeric values in the order they are read and written.
struct NumericValue {
    const char* name;
    int SaverSettings::*field;
    WorkingCopy copy;
};

const NumericValue kNumericValues[] = {
    {"Show Background", &SaverSettings::showBackground, WorkingCopy::ShowBackground},
    {"Background Number", &SaverSettings::backgroundNumber, WorkingCopy::BackgroundNumber},
    {"Small Star Speed", &SaverSettings::smallStarSpeed, WorkingCopy::SmallStarSpeed},
    {"Small Star Number", &SaverSettings::smallStarNumber, WorkingCopy::SmallStarNumber},
    {"Large Star Number", &SaverSettings::largeStarNumber, WorkingCopy::LargeStarNumber},
    {"Show Trails", &SaverSettings::showTrails, WorkingCopy::ShowTrails},
    {"Resolution", &SaverSettings::resolution, WorkingCopy::Resolution},
    {"PlayMP3", &SaverSettings::playMusic, WorkingCopy::None},
    {"RepeatMP3", &SaverSettings::repeatPlaylist, WorkingCopy::Repeat},
    {"Random", &SaverSettings::randomBackground, WorkingCopy::RandomBackground},
    {"Move Random", &SaverSettings::moveRandomly, WorkingCopy::MoveRandomly},
};

// A value is taken as a number only when it fits a 4-byte buffer, whatever its stored type.
bool query_dword(HKEY key, const char* name, int* out) {
    std::uint8_t buffer[4];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) return false;
    if (size != 4) return false;
    std::int32_t v;
    std::memcpy(&v, buffer, 4);
    *out = v;
    return true;
}

void read_playlist_path(HKEY key) {
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key, "Playlist", nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return;
    if (size == 0 || size > kMaxPlaylistPathBytes) return;
    std::vector<std::uint8_t> buffer(size);
    if (RegQueryValueExA(key, "Playlist", nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS) {
        return;
    }
    // The text ends at the first NUL; a value stored without one still ends with the data.
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    player_state().playlistPath.assign(text, strnlen(text, size));
}

}  // namespace

SaverSettings::SaverSettings()
    : saverWindow(nullptr),
      passwordDelay(5),
      mouseThreshold(200),
      muteSound(0),
      cursorX(0),
      cursorY(0),
      startTick(0),
      timerId(0),
      passwordPromptActive(0),
      closeRequested(0),
      showBackground(1),
      backgroundNumber(7),
      smallStarSpeed(2),
      smallStarNumber(300),
      showTrails(1),
      largeStarNumber(4),
      resolution(0),
      playMusic(0),
      repeatPlaylist(0),
      randomBackground(0),
      moveRandomly(1) {}

void store_default_saver_values(SaverSettings& s) {
    s.backgroundNumber = 7;
    s.largeStarNumber = 4;
    s.smallStarNumber = 300;
    s.smallStarSpeed = 2;
    s.resolution = 0;
    s.playMusic = 0;
    s.showTrails = 1;
    s.repeatPlaylist = 0;
    s.randomBackground = 0;
    s.moveRandomly = 1;
}

void read_saver_settings(SaverSettings& s) {
    s.read_system_values();
    store_default_saver_values(s);
    s.read_saver_values();
}

void SaverSettings::read_system_values() {
    passwordDelay = 5;
    mouseThreshold = 200;
    passwordPromptActive = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSystemSaverKey, 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    query_dword(key, "Password Delay", &passwordDelay);
    query_dword(key, "Mouse Threshold", &mouseThreshold);
    query_dword(key, "Mute Sound", &muteSound);
    RegCloseKey(key);
}

void SaverSettings::read_saver_values() {
    showBackground = 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return;
    }
    for (const NumericValue& v : kNumericValues) {
        int value = 0;
        if (!query_dword(key, v.name, &value)) continue;
        this->*v.field = value;
        set_working_copy(v.copy, value);
    }
    read_playlist_path(key);
    RegCloseKey(key);
}

void SaverSettings::write_saver_values() {
    // One rewrite for all eleven, which also creates the key when it is missing, so that a crash
    // leaves the old values or the new ones, never some of each.
    std::vector<RegistryValue> values;
    for (const NumericValue& v : kNumericValues) {
        std::int32_t value = v.copy == WorkingCopy::Repeat ? player_state().repeat : this->*v.field;
        std::string bytes(4, '\0');
        std::memcpy(bytes.data(), &value, 4);
        values.push_back({v.name, REG_DWORD, std::move(bytes)});
    }
    set_registry_values(HKEY_CURRENT_USER, kSaverKey, values);
}

SaverSettings* saver_settings() { return g_settings; }
void set_saver_settings(SaverSettings* settings) { g_settings = settings; }
