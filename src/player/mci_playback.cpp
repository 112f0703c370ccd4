// MCI playback: opening an entry on the alias "sounder", the play command, and the MCI thread
// that watches a CD track to its end.
#include "player/mci_playback.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "player/media_kind.h"

namespace {

constexpr UINT kAnswerSize = 1024;

struct Step {
    std::string command;
    const char* caption;
};

// Sends each command in order into `answer`; at the first failure shows the error under the
// step's caption and returns false.
bool send_steps(std::initializer_list<Step> steps, char* answer) {
    for (const Step& step : steps) {
        const MCIERROR e = mciSendStringA(step.command.c_str(), answer, kAnswerSize, nullptr);
        if (e != 0) {
            report_mci_error(e, step.caption);
            return false;
        }
    }
    return true;
}

// Other media: the device itself says when it has played the piece to its last sample. Its
// mode reads "stopped" only then, since only this thread stops it, and only on a request.
bool played_to_the_end() {
    char mode[kAnswerSize] = {};
    return mciSendStringA("status sounder mode wait", mode, kAnswerSize, nullptr) == 0 &&
           std::strcmp(mode, "stopped") == 0;
}

void copy_text(char (&field)[8], const std::string& text) {
    std::strncpy(field, text.c_str(), sizeof field - 1);
    field[sizeof field - 1] = '\0';
}

}  // namespace

void report_mci_error(MCIERROR error, const char* caption) {
    char text[kAnswerSize] = {};
    mciGetErrorStringA(error, text, sizeof text);
    MessageBoxA(nullptr, text, caption, MB_ICONWARNING);
}

bool open_mci_entry() {
    PlayerState& s = player_state();
    MciJob& job = s.mciJob;
    s.jobKind = JobKind::Mci;
    job.isCdTrack = is_cd_track(s.currentEntry);
    char answer[kAnswerSize] = {};
    CdTrackName track;
    bool isLastTrack = false;
    if (job.isCdTrack) {
        track = cd_track_from_name(s.currentEntry);
        if (!send_steps(
                {{"open cdaudio alias sounder shareable wait", "Error opening CD audio device"},
                 {"status sounder number of tracks wait", "Error getting number of CD tracks"}},
                answer)) {
            return false;
        }
        isLastTrack = track.track == std::atoi(answer);
        if (!send_steps({{"set sounder time format ms wait", "Error setting CD time format to ms"},
                         {"status sounder length track " + track.trackText + " wait",
                          "Error getting length of track"}},
                        answer)) {
            return false;
        }
        // Its own answer buffer, so that the length stays in `answer`.
        char second[kAnswerSize] = {};
        if (!send_steps({{"set sounder time format tmsf", "Error setting time format to tmsf"}},
                        second)) {
            return false;
        }
    } else {
        if (!send_steps({{"open \"" + s.currentEntry + "\" alias sounder wait",
                          "Error opening multimedia file"},
                         {"set sounder time format ms wait", "Error setting time format to ms"},
                         {"status sounder length wait", "Error getting length of multimedia file"}},
                        answer)) {
            return false;
        }
    }
    const int length = std::atoi(answer);
    job.mutex = std::make_shared<std::recursive_mutex>();
    job.stop = std::make_shared<StopSignal>();
    job.stopRequested = false;
    job.finished = false;
    if (job.isCdTrack) {
        job.isLastTrack = isLastTrack;
        copy_text(job.trackText, track.trackText);
        copy_text(job.nextTrackText, track.nextTrackText);
        job.length = length;
    }
    return true;
}

bool mci_play(const MciJob& job, bool fromTrack) {
    std::string command = "play sounder";
    if (job.isCdTrack) {
        // In the tmsf format a bare number is a track: exactly this track is played, or from it
        // to the end of the disc for the last one.
        if (fromTrack) command += std::string(" from ") + job.trackText;
        if (!job.isLastTrack) command += std::string(" to ") + job.nextTrackText;
    }
    command += " notify";
    char answer[kAnswerSize] = {};
    const MCIERROR e = mciSendStringA(command.c_str(), answer, kAnswerSize, nullptr);
    if (job.isCdTrack) return true;
    if (e != 0) {
        report_mci_error(e, "Could not play");
        return false;
    }
    return true;
}

int mci_thread(MciJob& job) {
    // Own references: the record is the controller's, these are this entry's.
    const std::shared_ptr<std::recursive_mutex> mutex = job.mutex;
    const std::shared_ptr<StopSignal> stop = job.stop;
    const int margin = job.isCdTrack ? (job.isLastTrack ? 200 : 100) : 0;
    if (!mci_play(job, true)) return -1;
    char answer[kAnswerSize];
    for (;;) {
        mutex->lock();
        if (job.stopRequested) {
            const MCIERROR e = mciSendStringA("stop sounder wait", answer, kAnswerSize, nullptr);
            if (e != 0) report_mci_error(e, "Could not stop");
            job.finished = true;
            mutex->unlock();
            return 0;
        }
        const MCIERROR e =
            mciSendStringA("status sounder position wait", answer, kAnswerSize, nullptr);
        if (e != 0) {
            report_mci_error(e, "Could not get position");
            mutex->unlock();
            return -1;
        }
        // A piece left alone at its end would keep the rest of the playlist silent: the end of
        // other media is announced like the end of a CD track.
        const bool ended =
            job.isCdTrack ? cd_position_ms(answer, job.trackText, job.length) + margin >= job.length
                          : played_to_the_end();
        if (ended) {
            const MCIERROR stopped = mciSendStringA("stop sounder", answer, kAnswerSize, nullptr);
            mutex->unlock();
            if (stopped != 0) {
                report_mci_error(stopped, "Could not stop device at end");
                return -1;
            }
            // Every top-level window hears it; the saver window stops and advances.
            PostMessageA(HWND_BROADCAST, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
            return 0;
        }
        mutex->unlock();
        stop->sleep_for(100);
    }
}
