// The file behind HKEY_CURRENT_USER: where it lives, reading it, and changing it safely.
#pragma once

#include <functional>
#include <memory>
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

// HKEY_CURRENT_USER as the file holds it now; empty when the file is missing or unreadable. The
// file is read and parsed once per process and again only when it changed (device, inode, size,
// modification or change time), so a query costs a stat, and another process's writes are still
// seen. Safe to call from any thread.
std::shared_ptr<const Hive> load_hive();

// Under an exclusive lock, reads the file afresh and hands it to edit; when edit reports a change,
// the file is replaced atomically (temporary file, fsync, rename, fsync of the folder). Temporary
// files that writers killed before their rename left beside the file are removed on the way.
LSTATUS update_registry(const std::function<bool(Document&)>& edit);

}  // namespace lumivex::reg
