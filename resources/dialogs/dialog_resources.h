// The program's dialog resources: the two dialog templates, bitmap 152 and the string table.
#pragma once

#include <cstdint>
#include <span>

#include "platform/dialogs/dialog_template.h"

constexpr int kPlaylistEditorDialog = 2;  // "MP3 Playlist", the child of the open-file dialog
constexpr int kSettingsDialog = 122;      // "Lumivex Settings"
constexpr int kStarFieldBitmap = 152;     // the picture in the settings dialog
constexpr int kSaverNameString = 1;       // "Lumivex"

// The dialog template with this resource number, or null.
const DialogTemplate* find_dialog_template(int id);
// The bitmap resource with this number as a device-independent bitmap (header, palette, rows);
// empty when there is none.
std::span<const std::uint8_t> find_bitmap_resource(int id);
// The string table entry with this number, or null.
const char* find_string_resource(int id);
