// The MCI command log for tests.
#include "platform/winmm/mci_command_log.h"

MciCommandLog::MciCommandLog() {
    install_mci_observer(
        [this](const std::string& command, MCIERROR result, const std::string& answer) {
            std::lock_guard lock(mutex_);
            records_.push_back({command, result, answer});
        });
}

MciCommandLog::~MciCommandLog() { install_mci_observer({}); }

std::vector<MciCommandRecord> MciCommandLog::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::vector<std::string> MciCommandLog::commands() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& r : records_) out.push_back(r.command);
    return out;
}

void MciCommandLog::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}
