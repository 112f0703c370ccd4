// The test seam of the MCI interpreter: every command string, its result and its answer.
#pragma once

#include <functional>
#include <string>

#include "platform/winmm/mci.h"

using MciObserver =
    std::function<void(const std::string& command, MCIERROR result, const std::string& answer)>;

// Called after each mciSendStringA, on the caller's thread, with no lock of the layer held.
// An empty function removes the observer.
void install_mci_observer(MciObserver observer);
