// The common file dialogs: the OPENFILENAMEA contract, the hook's child dialog and what the
// chosen files become in the caller's buffer.
#include <cstring>
#include <filesystem>

#include "platform/dialogs/dialog_state.h"
#include "resources/dialogs/dialog_resources.h"

namespace {

DWORD g_last_error = 0;

FileDialog* file_dialog_of(HWND hwnd) {
    Dialog* d = dialog_of(hwnd);
    return d ? d->file : nullptr;
}

// The file dialog itself: Cancel (also posted by the hook) ends it unaccepted.
INT_PTR frame_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wparam) == IDCANCEL) EndDialog(dialog, 0);
    return 0;
}

// The child dialog's procedure hands every message to the caller's hook.
INT_PTR child_proc(HWND child, UINT msg, WPARAM wparam, LPARAM lparam) {
    FileDialog* f = file_dialog_of(child);
    if (!f || !f->ofn->lpfnHook || !(f->ofn->Flags & OFN_ENABLEHOOK)) return 0;
    return static_cast<INT_PTR>(f->ofn->lpfnHook(child, msg, wparam, lparam));
}

std::vector<FileFilter> parse_filters(const char* list) {
    std::vector<FileFilter> filters;
    if (!list) return filters;
    while (*list) {
        FileFilter f;
        f.description = list;
        list += f.description.size() + 1;
        const std::string patterns = list;
        list += patterns.size() + 1;
        std::size_t start = 0;
        while (start <= patterns.size()) {
            const std::size_t end = std::min(patterns.find(';', start), patterns.size());
            std::string p = patterns.substr(start, end - start);
            if (!p.empty()) f.patterns.push_back(p);
            start = end + 1;
        }
        filters.push_back(std::move(f));
        if (!*list && patterns.empty()) break;  // a last pair without its pattern
    }
    return filters;
}

const DialogTemplate* child_template(const OPENFILENAMEA& ofn) {
    if (ofn.Flags & OFN_ENABLETEMPLATEHANDLE) {
        return reinterpret_cast<const DialogTemplate*>(ofn.hInstance);
    }
    if ((ofn.Flags & OFN_ENABLETEMPLATE) && IS_INTRESOURCE(ofn.lpTemplateName)) {
        return find_dialog_template(
            static_cast<int>(reinterpret_cast<std::uintptr_t>(ofn.lpTemplateName)));
    }
    return nullptr;
}

// A child without a template of its own is an empty one, as Windows makes for a bare hook.
const DialogTemplate kEmptyChild = {0, "", 0, 0, 0, 0, WS_CHILD | DS_CONTROL, "", 8, {}};

std::string name_part(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folder_part(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void copy_truncated(const std::string& text, char* buffer, DWORD size) {
    if (!buffer || size == 0) return;
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// Windows' answer to a buffer too small: the size needed in its first two bytes.
void report_size_needed(OPENFILENAMEA& ofn, std::size_t needed) {
    if (ofn.nMaxFile < 2) return;
    const auto n = static_cast<WORD>(std::min<std::size_t>(needed, 0xFFFF));
    std::memcpy(ofn.lpstrFile, &n, 2);
}

// Puts one file, or a folder with names, into lpstrFile; false when it does not fit.
bool fill_buffer(OPENFILENAMEA& ofn, const std::string& folder,
                 const std::vector<std::string>& names, bool single) {
    std::string text;
    if (single) {
        text = folder == "/" ? "/" + names[0] : folder + "/" + names[0];
        ofn.nFileOffset = static_cast<WORD>(text.size() - names[0].size());
        text += '\0';  // a list of one: the empty string after it ends the list
    } else {
        text = folder;
        text += '\0';
        ofn.nFileOffset = static_cast<WORD>(text.size());
        for (const std::string& n : names) {
            text += n;
            text += '\0';
        }
    }
    text += '\0';
    if (text.size() > ofn.nMaxFile) {
        report_size_needed(ofn, text.size());
        return false;
    }
    std::memcpy(ofn.lpstrFile, text.data(), text.size());
    const std::size_t dot = names[0].find_last_of('.');
    ofn.nFileExtension =
        dot == std::string::npos ? 0 : static_cast<WORD>(ofn.nFileOffset + dot + 1);
    copy_truncated(names[0], ofn.lpstrFileTitle, ofn.nMaxFileTitle);
    return true;
}

// CDN_FILEOK to the hook; true when it lets the dialog end.
bool hook_accepts(FileDialog& f) {
    if (!f.child || !f.ofn->lpfnHook || !(f.ofn->Flags & OFN_ENABLEHOOK)) return true;
    OFNOTIFYA notify{{f.dialog->hwnd, 0, CDN_FILEOK}, f.ofn, nullptr};
    f.child->msg_result = 0;
    const INT_PTR handled =
        send_to_dialog(*f.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    sync_open_dialogs();
    return !(handled && f.child->msg_result);
}

// The checks the flags ask for; false (after telling the user) to keep the dialog open.
bool choice_allowed(FileDialog& f, const std::vector<std::string>& paths) {
    const char* caption = f.title.c_str();
    for (const std::string& p : paths) {
        std::error_code ec;
        const bool exists = std::filesystem::exists(p, ec);
        if (!f.save && f.must_exist && !exists) {
            const std::string text =
                name_part(p) + "\nFile not found.\nCheck the file name and try again.";
            MessageBoxA(f.dialog->hwnd, text.c_str(), caption, MB_OK | MB_ICONWARNING);
            return false;
        }
        if (f.save && f.overwrite_prompt && exists) {
            const std::string text = p + " already exists.\nDo you want to replace it?";
            if (MessageBoxA(f.dialog->hwnd, text.c_str(), caption, MB_YESNO | MB_ICONWARNING) !=
                IDYES) {
                return false;
            }
        }
    }
    return true;
}

BOOL run(OPENFILENAMEA* ofn, bool save) {
    DialogBackend* backend = dialog_backend();
    g_last_error = 0;
    if (!backend || !ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) {
        g_last_error = CDERR_INITIALIZATION;
        return 0;
    }
    FileDialog f;
    f.ofn = ofn;
    f.save = save;
    f.title = ofn->lpstrTitle ? ofn->lpstrTitle : (save ? "Save As" : "Open");
    f.frame = DialogTemplate{0, f.title.c_str(), 0, 0, 0, 0, WS_POPUP | WS_CAPTION, "", 8, {}};
    f.filters = parse_filters(ofn->lpstrFilter);
    if (ofn->nFilterIndex >= 1 && ofn->nFilterIndex <= f.filters.size()) {
        f.filter = static_cast<int>(ofn->nFilterIndex) - 1;
    }
    f.folder = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
    f.name.assign(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile));
    f.default_extension = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
    f.multiple = !save && (ofn->Flags & OFN_ALLOWMULTISELECT);
    f.must_exist = (ofn->Flags & OFN_FILEMUSTEXIST) != 0;
    f.overwrite_prompt = save && (ofn->Flags & OFN_OVERWRITEPROMPT);

    f.dialog = &open_dialog(build_dialog(f.frame, ofn->hwndOwner, frame_proc));
    f.dialog->file = &f;
    const DialogTemplate* t = child_template(*ofn);
    if (t || (ofn->Flags & OFN_ENABLEHOOK)) {
        f.child = &open_dialog(build_dialog(t ? *t : kEmptyChild, f.dialog->hwnd, child_proc));
        f.child->file = &f;
    }
    auto finish = [&] {
        if (f.child) close_dialog(*f.child);
        close_dialog(*f.dialog);
    };
    if (!backend->create_file_dialog(f)) {
        finish();
        g_last_error = CDERR_INITIALIZATION;
        return 0;
    }
    if (f.child) {
        send_to_dialog(*f.child, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
        OFNOTIFYA notify{{f.dialog->hwnd, 0, CDN_INITDONE}, ofn, nullptr};
        send_to_dialog(*f.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }
    sync_open_dialogs();
    if (!f.dialog->ended) backend->run_file_dialog(f);
    backend->destroy_file_dialog(f);
    const bool accepted = f.accepted;
    if (accepted) ofn->nFilterIndex = static_cast<DWORD>(f.filter + 1);
    finish();
    return accepted ? 1 : 0;
}

}  // namespace

bool file_dialog_user_ok(FileDialog& f, const std::vector<std::string>& chosen) {
    if (f.dialog->ended || chosen.empty()) return f.dialog->ended;
    std::vector<std::string> paths = chosen;
    if (f.save) {
        paths.resize(1);
        const std::string name = name_part(paths[0]);
        if (!f.default_extension.empty() && name.find('.') == std::string::npos) {
            paths[0] += "." + f.default_extension;
        }
    }
    if (!choice_allowed(f, paths)) return false;
    std::string folder = folder_part(paths[0]);
    std::vector<std::string> names;
    for (const std::string& p : paths) names.push_back(name_part(p));
    OPENFILENAMEA& ofn = *f.ofn;
    const bool hooked = f.child && ofn.lpfnHook && (ofn.Flags & OFN_ENABLEHOOK);
    if (names.size() == 1 || !f.multiple) {
        if (!fill_buffer(ofn, folder, {names[0]}, true)) {
            g_last_error = FNERR_BUFFERTOOSMALL;
            EndDialog(f.dialog->hwnd, 0);
            return true;
        }
        if (!hook_accepts(f)) return false;
    } else if (!hooked) {
        if (!fill_buffer(ofn, folder, names, false)) {
            g_last_error = FNERR_BUFFERTOOSMALL;
            EndDialog(f.dialog->hwnd, 0);
            return true;
        }
    } else {
        // A hook hears a choice too long for the buffer in parts that fit, one after another,
        // so no file is lost; it decides on the last part whether the dialog ends.
        std::size_t next = 0;
        bool accepts = true;
        while (next < names.size()) {
            std::vector<std::string> part;
            std::size_t size = folder.size() + 2;
            while (next < names.size() &&
                   (part.empty() || size + names[next].size() + 1 <= ofn.nMaxFile)) {
                size += names[next].size() + 1;
                part.push_back(names[next++]);
            }
            const bool ok = part.size() == 1 ? fill_buffer(ofn, folder, part, true)
                                             : fill_buffer(ofn, folder, part, false);
            if (ok) accepts = hook_accepts(f);
        }
        if (!accepts) return false;
    }
    f.accepted = true;
    EndDialog(f.dialog->hwnd, 1);
    return true;
}

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn) { return run(ofn, false); }
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn) { return run(ofn, true); }
DWORD CommDlgExtendedError() { return g_last_error; }

std::intptr_t SetWindowLongPtrA(HWND dialog, int index, std::intptr_t value) {
    Dialog* d = dialog_of(dialog);
    if (!d || d->hwnd != dialog || index != DWLP_MSGRESULT) return 0;
    const std::intptr_t old = d->msg_result;
    d->msg_result = value;
    return old;
}

void CommDlg_OpenSave_SetControlText(HWND file_dialog, int id, const char* text) {
    FileDialog* f = file_dialog_of(file_dialog);
    if (!f || f->dialog->hwnd != file_dialog || id != IDOK) return;
    f->ok_label = text ? text : "";
    f->frame_changed = true;
}

void CommDlg_OpenSave_HideControl(HWND file_dialog, int id) {
    FileDialog* f = file_dialog_of(file_dialog);
    if (!f || f->dialog->hwnd != file_dialog || id != IDCANCEL) return;
    f->cancel_hidden = true;
    f->frame_changed = true;
}
