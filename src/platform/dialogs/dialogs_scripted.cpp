// The scripted dialog backend: runs a test's script of user actions against the open dialogs.
#include "platform/dialogs/dialogs_scripted.h"

#include <algorithm>

const Control* ShownDialog::control(int id) const {
    for (const Control& c : controls) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

ScriptedDialogs::ScriptedDialogs() {
    reset_dialog_state();
    install_dialog_backend(this);
}

ScriptedDialogs::~ScriptedDialogs() {
    if (installed_dialog_backend() == this) install_dialog_backend(nullptr);
    reset_dialog_state();
}

ScriptedDialogs& ScriptedDialogs::click(int id) {
    script_.push_back([id](Dialog& d) {
        if (Control* c = d.find(id)) dialog_user_click(d, *c);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::choose(int id, const std::string& entry) {
    script_.push_back([id, entry](Dialog& d) {
        Control* c = d.find(id);
        if (!c) return;
        auto it = std::find(c->items.begin(), c->items.end(), entry);
        if (it != c->items.end()) {
            dialog_user_choose(d, *c, static_cast<int>(it - c->items.begin()));
        }
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::press(WPARAM vk, bool shift) {
    script_.push_back([vk, shift](Dialog& d) { dialog_user_key(d, vk, shift); });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::close() {
    script_.push_back([](Dialog& d) { dialog_user_close(d); });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::key(int id, WPARAM vk) {
    script_.push_back([id, vk](Dialog& d) {
        Control* c = d.find(id);
        if (!c) return;
        dialog_user_focus(d, c);
        dialog_control_message(d, *c, WM_KEYDOWN, vk, 0);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::double_click(int id) {
    script_.push_back([id](Dialog& d) {
        if (Control* c = d.find(id)) dialog_control_message(d, *c, WM_LBUTTONDBLCLK, 0, 0);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::select_rows(int id, std::vector<int> rows) {
    script_.push_back([id, rows](Dialog& d) {
        Control* c = d.find(id);
        if (!c) return;
        std::vector<UINT> states(c->rows.size(), 0);
        for (int r : rows) {
            if (r >= 0 && r < static_cast<int>(states.size())) {
                states[static_cast<std::size_t>(r)] = LVIS_SELECTED;
            }
        }
        if (!rows.empty() && rows.back() >= 0 && rows.back() < static_cast<int>(states.size())) {
            states[static_cast<std::size_t>(rows.back())] |= LVIS_FOCUSED;
        }
        dialog_user_select_rows(d, *c, states);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::drop(int id, std::vector<std::string> files, int row) {
    script_.push_back([id, files, row](Dialog& d) {
        if (Control* c = d.find(id)) {
            dialog_user_drop(d, *c, files, POINT{4, row * kRowHeight + kRowHeight / 2});
        }
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::pick(std::vector<std::string> paths, int filter) {
    script_.push_back([paths, filter](Dialog& d) {
        FileDialog* f = d.file;  // the file dialog, or its child's
        if (!f) return;
        if (filter >= 0 && filter < static_cast<int>(f->filters.size())) f->filter = filter;
        file_dialog_user_ok(*f, paths);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::dismiss() {
    script_.push_back([](Dialog& d) {
        if (FileDialog* f = d.file) dialog_user_close(*f->dialog);
    });
    return *this;
}

ScriptedDialogs& ScriptedDialogs::then(std::function<void(HWND)> look) {
    script_.push_back([look](Dialog& d) { look(d.hwnd); });
    return *this;
}

bool ScriptedDialogs::create_dialog(Dialog& dialog) {
    open_.push_back(&dialog);
    return true;
}

void ScriptedDialogs::play(Dialog& until) {
    while (!until.ended && !script_.empty()) {
        auto action = std::move(script_.front());
        script_.pop_front();
        action(*open_.back());
        dialog_pump_posted();
    }
    if (!until.ended) {
        until.ended = true;
        until.result = -1;
        ran_out_.push_back(&until);
    }
}

void ScriptedDialogs::run_dialog(Dialog& dialog) { play(dialog); }

bool ScriptedDialogs::create_file_dialog(FileDialog& file) {
    open_.push_back(file.dialog);
    if (file.child) open_.push_back(file.child);
    return true;
}

void ScriptedDialogs::run_file_dialog(FileDialog& file) { play(*file.dialog); }

void ScriptedDialogs::destroy_file_dialog(FileDialog& file) {
    ShownFileDialog s;
    s.save = file.save;
    s.title = file.title;
    s.owner = file.dialog->owner;
    s.filters = file.filters;
    s.filter = file.filter;
    s.folder = file.folder;
    s.name = file.name;
    s.multiple = file.multiple;
    s.ok_label = file.ok_label;
    s.cancel_hidden = file.cancel_hidden;
    s.has_child = file.child != nullptr;
    s.accepted = file.accepted;
    shown_files_.push_back(std::move(s));
    if (file.child) destroy_dialog(*file.child);
    std::erase(open_, file.dialog);
    std::erase(ran_out_, file.dialog);
}

void ScriptedDialogs::destroy_dialog(Dialog& dialog) {
    ShownDialog s;
    s.template_id = dialog.source ? dialog.source->id : 0;
    s.caption = dialog.source && dialog.source->caption ? dialog.source->caption : "";
    s.owner = dialog.owner;
    s.result = dialog.result;
    s.script_ran_out = std::find(ran_out_.begin(), ran_out_.end(), &dialog) != ran_out_.end();
    std::erase(ran_out_, &dialog);
    for (auto& c : dialog.controls) s.controls.push_back(*c);
    shown_.push_back(std::move(s));
    std::erase(open_, &dialog);
}

void ScriptedDialogs::sync_dialog(Dialog& dialog) {
    for (auto& c : dialog.controls) c->changed = 0;
    dialog.focus_changed = false;
    if (dialog.file) dialog.file->frame_changed = false;
}

int ScriptedDialogs::nearest_row(Dialog& /*dialog*/, Control& list, POINT point) {
    if (list.rows.empty()) return -1;
    const int last = static_cast<int>(list.rows.size()) - 1;
    return std::clamp(static_cast<int>(point.y) / kRowHeight, 0, last);
}

bool ScriptedDialogs::file_icon(const char* path, IconData* icon) {
    icon_requests_.push_back(path);
    std::string name = path;
    const auto dot = name.find_last_of('.');
    std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
    for (char& ch : ext) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    icon->content_type = ext.empty() ? "application/octet-stream" : "type/" + ext;
    return true;
}
