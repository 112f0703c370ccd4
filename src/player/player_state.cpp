// The process-wide player state.
#include "player/player_state.h"

#include "player/player_controller.h"

namespace {
PlayerState g_state;
}

PlayerState& player_state() { return g_state; }

void reset_player_state() {
    PlayerState& s = g_state;
    const bool busy = s.decodingThread.running() || s.mciThread.running() ||
                      s.retiredThread.running() || s.decodeJob.mutex || s.mciJob.mutex;
    if (busy) reset_player();
    s.retiredThread.join();
    s.currentEntry.clear();
    s.listActive = false;
    s.jobKind = JobKind::Mci;
    s.ready = false;
    s.started = false;
    s.decodeJob.stream.reset();
    s.decodeJob.header.reset();
    s.decodeJob.firstFrameCrc = nullptr;
    s.mciJob = MciJob();
    s.playlistPath.clear();
    s.repeat = 0;
    s.unattended = false;
}
