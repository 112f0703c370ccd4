// What the files of the playlist editor share: its controls, and the rows that mirror editorList.
#pragma once

#include <cstddef>
#include <span>

#include "platform/dialogs/control_messages.h"
#include "platform/dialogs/list_view.h"

// The child dialog's controls.
constexpr int kEditorList = 1018;
constexpr int kEditorSaveList = 101;
constexpr int kEditorRemove = 102;
constexpr int kEditorOk = 103;
constexpr int kEditorCancel = 104;
constexpr int kEditorRandomize = 105;
constexpr int kEditorProperties = 109;  // no button: the P key and a double-click
constexpr int kEditorCdTrack = 120;
constexpr int kEditorDown = 127;
constexpr int kEditorUp = 128;
constexpr int kEditorLoadList = 129;

// The open editor's controls; null handles while it is closed.
struct PlaylistEditorControls {
    HWND child = nullptr;
    HWND list = nullptr;
    HWND remove = nullptr;
    HWND save_list = nullptr;
    HWND randomize = nullptr;
};

PlaylistEditorControls& editor_controls();

// The open-file dialog's name buffer (16384 bytes), which also receives dropped names.
std::span<char> playlist_editor_file_buffer();

// Deletes the rows from k on and inserts them again from editorList, so every number after k is
// right; then enables Remove, Save List and Randomize exactly when the list is not empty.
void show_rows_from(int k);

// The commands of the child dialog's buttons and of the list view's keys.
void add_picked_files(const char* selection, std::size_t size);
void drop_files_on_list(HDROP drop);
void save_list();
void remove_selected();
void randomize_list();
void show_entry_properties();
void insert_cd_track();
void move_selected_down();
void move_selected_up();
void load_configured_list();
void rebuild_playback_list();
void ask_and_clear_all();
