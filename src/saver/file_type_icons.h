// The file-type icons of the playlist editor's rows, looked up once per extension.
#pragma once

#include <string>

#include "platform/dialogs/list_view.h"

// The small-icon image list the rows' icons are in; made once and kept for the process.
HIMAGELIST file_type_image_list();
// The index in that list of the icon the desktop gives files like path, or -1 for none (a path
// without an extension, or one the desktop has no icon for). The first path met with an
// extension decides that extension's icon, compared without regard to letter case.
int file_type_icon(const std::string& path);
// Forgets the list and every extension (tests).
void reset_file_type_icons();
