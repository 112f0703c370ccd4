// The player controller: the operations of the player on its global state.
//
// Who may change the player, and when. Two threads run the controller: the main thread, on
// window messages and from the playlist editor, and a decoding thread, which at the end of its
// file stops its own entry and advances the list (the hand-over, decode_thread.cpp). Each
// operation runs whole under the player lock (player_lock.h), so the main thread and a
// hand-over never interleave their steps, and each keeps the order of its own.
//
// The one danger is a stop on the main thread meeting a hand-over: the main thread, holding
// the player lock, waits in stop_playback for the job mutex and then for the thread's end,
// while the decoding thread, holding the job mutex, waits for the player lock. It is resolved
// by the job's stop signal, which stop_playback raises before it takes the job mutex:
// - the decoding thread asks for the player lock with lock_player_unless_stopped, which gives
//   up once the signal is raised; the thread then ends without handing over;
// - the signal also cuts short every blocking wait of the worker (the output's semaphore waits
//   and its close, the MCI thread's poll sleep), so the thread reaches that point at once.
// A hand-over that got the player lock first runs to its end; the main thread's operation
// waits for it and then finds the next entry's job, which it stops in turn. stop_playback thus
// always ends with a join: no thread is ever killed.
//
// A decoding thread that hands over cannot wait for itself: stop_playback, called by that very
// thread, moves it to retiredThread, and the next stop_playback on any other thread joins it.
#include "player/player_controller.h"

#include "platform/system/thread_priority.h"
#include "platform/winmm/mci.h"
#include "player/completion_semaphore.h"
#include "player/decode_thread.h"
#include "player/mci_playback.h"
#include "player/media_kind.h"
#include "player/player_lock.h"
#include "player/player_state.h"
#include "playlist/global_lists.h"
#include "playlist/playlist_paths.h"

namespace {

// Raised before the job mutex is taken, so that nothing the worker waits for outlasts it.
void signal_stop(PlaybackControl& job) {
    if (!job.stop) return;
    job.stop->raise();
    completion_semaphore().wake_waiters();
    wake_player_lock_waiters();
}

// A decoding thread that handed over has ended its work; wait for it to be gone.
void join_retired_thread(PlayerState& s) {
    if (s.retiredThread.running() && !s.retiredThread.is_current()) s.retiredThread.join();
}

void stop_decoding(PlayerState& s) {
    DecodeJob& job = s.decodeJob;
    if (s.decodingThread.running()) {
        const bool self = s.decodingThread.is_current();
        s.decodingThread.set_priority(THREAD_PRIORITY_HIGHEST);
        if (!self) signal_stop(job);
        // The hand-over calls this on its own thread, which holds the mutex already.
        std::shared_ptr<std::recursive_mutex> mutex = job.mutex;
        mutex->lock();
        if (!job.finished) job.stopRequested = true;
        mutex->unlock();
        if (self) {
            s.retiredThread = std::move(s.decodingThread);
        } else {
            s.decodingThread.join();
        }
    }
    job.stream.reset();
    job.header.reset();
    job.firstFrameCrc = nullptr;
    job.mutex.reset();
    job.stop.reset();
}

void stop_mci(PlayerState& s) {
    MciJob& job = s.mciJob;
    if (s.mciThread.running()) {
        s.mciThread.set_priority(THREAD_PRIORITY_HIGHEST);
        signal_stop(job);
        std::shared_ptr<std::recursive_mutex> mutex = job.mutex;
        mutex->lock();
        job.stopRequested = true;
        mutex->unlock();
        s.mciThread.join();
    }
    char answer[1024];
    mciSendStringA("close sounder wait", answer, sizeof answer, nullptr);
    job.mutex.reset();
    job.stop.reset();
}

// Both outcomes of a successful open: the entry waits for play.
void mark_ready(PlayerState& s) {
    s.ready = true;
    s.started = false;
}

}  // namespace

void start_music(const std::string& path) {
    PlayerLock lock;
    // A std::string holds one name: it can never read as a multi-file selection.
    player_state().currentEntry = path;
    if (prepare_selection()) play();
}

bool prepare_selection() {
    PlayerLock lock;
    PlayerState& s = player_state();
    playbackList.clear();
    if (!isPlaylistFile(s.currentEntry)) {
        stop_playback();
        if (!open_current_entry(true)) return false;
        mark_ready(s);
        return true;
    }
    if (sourceList.load(s.currentEntry, false, false) == 0) {
        reset_player();
        return false;
    }
    s.listActive = true;
    playbackList.rebuildFrom(sourceList);
    return start_list();
}

bool start_list() {
    PlayerLock lock;
    PlayerState& s = player_state();
    stop_playback();
    s.listActive = true;
    if (playbackList.count == 0) return false;
    s.currentEntry = playbackList.entries[playbackList.position]->path;
    if (!open_current_entry(true)) return false;
    mark_ready(s);
    return true;
}

bool open_current_entry(bool continueOnFailure) {
    PlayerLock lock;
    PlayerState& s = player_state();
    const bool opened = is_mci_media(s.currentEntry) ? open_mci_entry() : open_mpeg_entry();
    if (opened) return true;
    const std::string failed = s.currentEntry;
    drop_failed_entry(failed, continueOnFailure);
    return false;
}

void drop_failed_entry(const std::string& failedPath, bool continueOnFailure) {
    PlayerLock lock;
    PlayerState& s = player_state();
    const std::string failed = failedPath;  // reset_player empties currentEntry, which it may be
    reset_player();
    if (!s.listActive) return;
    playbackList.removeByPath(failed);
    if (playbackList.count == 0) {
        playbackList.clear();
        return;
    }
    if (continueOnFailure) play_at_position();
}

void play_at_position() {
    PlayerLock lock;
    PlayerState& s = player_state();
    if (!s.listActive) return;
    stop_playback();
    bool opened = false;
    // Each failure removes at least the entry tried, so the loop ends.
    while (playbackList.count > 0) {
        s.currentEntry = playbackList.entries[playbackList.position]->path;
        if (open_current_entry(false)) {
            opened = true;
            break;
        }
    }
    if (!opened) return;
    mark_ready(s);
    play();
}

void play() {
    PlayerLock lock;
    PlayerState& s = player_state();
    if (!s.ready) return;
    s.ready = false;
    s.started = true;
    if (s.jobKind == JobKind::Mpeg) {
        DecodeJob* job = &s.decodeJob;
        s.decodingThread.start("lumivex-decode", THREAD_PRIORITY_BELOW_NORMAL,
                               [job] { decode_thread(*job); });
    } else {
        MciJob* job = &s.mciJob;
        s.mciThread.start("lumivex-mci", THREAD_PRIORITY_NORMAL, [job] { mci_thread(*job); });
    }
}

void advance(bool wrap) {
    PlayerLock lock;
    PlayerState& s = player_state();
    if (!s.listActive) return;
    if (playbackList.position < playbackList.count - 1) {
        ++playbackList.position;
        play_at_position();
    } else if (wrap) {
        if (playbackList.count > 0) playbackList.position = 0;
        play_at_position();
    } else {
        stop_playback();
        playbackList.clear();
    }
}

void stop_playback() {
    PlayerLock lock;
    PlayerState& s = player_state();
    join_retired_thread(s);
    if (s.jobKind == JobKind::Mpeg) {
        stop_decoding(s);
    } else {
        stop_mci(s);
    }
}

void stop_and_rewind() {
    PlayerLock lock;
    PlayerState& s = player_state();
    if (!s.started) return;
    stop_playback();
    s.started = false;
    // Only an entry that opened again is ready: after a failure the entry was dropped (and
    // maybe the next one started), and nothing open is left to play.
    if (open_current_entry(true)) mark_ready(s);
}

void reset_player() {
    PlayerLock lock;
    PlayerState& s = player_state();
    stop_playback();
    s.jobKind = JobKind::Mci;
    s.ready = false;
    s.started = false;
    s.currentEntry.clear();
}
