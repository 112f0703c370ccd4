// The string table: entry 1 holds the saver's name.
#include "resources/dialogs/dialog_resources.h"

const char* find_string_resource(int id) { return id == kSaverNameString ? "Lumivex" : nullptr; }
