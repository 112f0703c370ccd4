// The file behind HKEY_CURRENT_USER: where it lives, reading it, and changing it safely.
#pragma once

#include <functional>
#include <string>

#include "platform/registry/reg_document.h"

namespace lumivex::reg {

// $XDG_CONFIG_HOME/lumivex/registry.reg, else under $HOME/.config or the account's home folder;
// empty when there is no home folder at all.
std::string registry_path();

enum class ReadResult { Ok, Missing, Failed };

// The whole file, decoded to 8-bit text. A missing file reads as empty text; a file that cannot be
// read (no permission, not a regular file, absurdly large) is Failed and must not be rewritten.
ReadResult read_registry_text(const std::string& path, std::string& text);

// The document as it stands now; empty when the file is missing or unreadable.
Document load_document();

// Under an exclusive lock, reads the file afresh and hands it to edit; when edit reports a change,
// the file is replaced atomically (temporary file, fsync, rename, fsync of the folder).
LSTATUS update_registry(const std::function<bool(Document&)>& edit);

}  // namespace lumivex::reg
