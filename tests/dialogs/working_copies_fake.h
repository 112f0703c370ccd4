// The test stand-in for the renderer's working copies, which the renderer's library provides.
#pragma once

#include <optional>

#include "saver/working_copies.h"

// The last value stored into a working copy, if any.
std::optional<int> fake_working_copy(WorkingCopy which);
void reset_fake_working_copies();
