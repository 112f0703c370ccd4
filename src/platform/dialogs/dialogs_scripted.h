// The scripted dialog backend for tests: the user's actions as a script, the dialogs recorded.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs/dialog_backend.h"

// A file dialog as it was when it closed.
struct ShownFileDialog {
    bool save = false;
    std::string title;
    HWND owner = nullptr;
    std::vector<FileFilter> filters;
    int filter = 0;
    std::string folder;
    std::string name;
    bool multiple = false;
    std::string ok_label;
    bool cancel_hidden = false;
    bool has_child = false;
    bool accepted = false;
};

// A dialog as it was when it closed.
struct ShownDialog {
    int template_id = 0;
    std::string caption;
    HWND owner = nullptr;
    INT_PTR result = 0;
    bool script_ran_out = false;  // the script ended before the dialog did
    std::vector<Control> controls;

    const Control* control(int id) const;
};

class ScriptedDialogs final : public DialogBackend {
public:
    // Installs itself and clears the shared dialog state; the destructor uninstalls it.
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // The user's actions in order. Each acts on the innermost open dialog when its turn comes;
    // a dialog still open when the script ends closes with -1.
    ScriptedDialogs& click(int id);
    ScriptedDialogs& choose(int id, const std::string& entry);  // a drop-down entry by its text
    // A key of the dialog manager: Return, Esc, Tab (shift: Shift+Tab) or an arrow.
    ScriptedDialogs& press(WPARAM vk, bool shift = false);
    ScriptedDialogs& close();                 // the close box
    ScriptedDialogs& key(int id, WPARAM vk);  // a key in a control
    ScriptedDialogs& double_click(int id);
    ScriptedDialogs& select_rows(int id, std::vector<int> rows);  // a list view's selection
    // Files dropped on a control, on the given row of a list view (past the last: below it).
    ScriptedDialogs& drop(int id, std::vector<std::string> files, int row);
    // In the innermost file dialog: the user chooses these files (full paths) with the
    // filter of that index (-1: the one shown) and presses its open or save button.
    ScriptedDialogs& pick(std::vector<std::string> paths, int filter = -1);
    // The innermost file dialog's cancel (or close box).
    ScriptedDialogs& dismiss();
    // Looks at the innermost open dialog at this point of the script.
    ScriptedDialogs& then(std::function<void(HWND dialog)> look);

    const std::vector<ShownDialog>& shown() const { return shown_; }
    const std::vector<ShownFileDialog>& shown_files() const { return shown_files_; }
    std::size_t actions_left() const { return script_.size(); }
    // Paths whose icons were asked for, in order.
    const std::vector<std::string>& icon_requests() const { return icon_requests_; }

    // Rows are this many pixels high in the scripted list view.
    static constexpr int kRowHeight = 16;

    bool create_dialog(Dialog& dialog) override;
    void run_dialog(Dialog& dialog) override;
    void destroy_dialog(Dialog& dialog) override;
    void sync_dialog(Dialog& dialog) override;
    int nearest_row(Dialog& dialog, Control& list, POINT point) override;
    bool file_icon(const char* path, IconData* icon) override;
    bool create_file_dialog(FileDialog& file) override;
    void run_file_dialog(FileDialog& file) override;
    void destroy_file_dialog(FileDialog& file) override;

private:
    // Runs the script until the dialog has ended or the script is over.
    void play(Dialog& until);

    std::deque<std::function<void(Dialog&)>> script_;
    std::vector<Dialog*> open_;
    std::vector<Dialog*> ran_out_;
    std::vector<ShownDialog> shown_;
    std::vector<ShownFileDialog> shown_files_;
    std::vector<std::string> icon_requests_;
};
