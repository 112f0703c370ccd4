// A test helper that records every MCI command string sent, with its result and answer.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/winmm/mci_observer.h"

struct MciCommandRecord {
    std::string command;
    MCIERROR result;
    std::string answer;
};

// Installs itself as the MCI observer; the destructor removes it. Safe from any thread.
class MciCommandLog {
public:
    MciCommandLog();
    ~MciCommandLog();
    MciCommandLog(const MciCommandLog&) = delete;
    MciCommandLog& operator=(const MciCommandLog&) = delete;

    std::vector<MciCommandRecord> records() const;
    std::vector<std::string> commands() const;  // the command strings alone, in order
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<MciCommandRecord> records_;
};
