// Stands in for the renderer's working copies: remembers what the settings code stored.
#include "tests/dialogs/working_copies_fake.h"

#include <map>

namespace {
std::map<WorkingCopy, int>& copies() {
    static std::map<WorkingCopy, int> c;
    return c;
}
}  // namespace

void set_working_copy(WorkingCopy which, int value) { copies()[which] = value; }

std::optional<int> fake_working_copy(WorkingCopy which) {
    auto it = copies().find(which);
    if (it == copies().end()) return std::nullopt;
    return it->second;
}

void reset_fake_working_copies() { copies().clear(); }
