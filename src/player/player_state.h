// The music player's one global record: what is open, what plays, the job records of the two
// workers, and the player's settings.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "mpeg/crc16.h"
#include "mpeg/frame_header.h"
#include "mpeg/mpeg_stream.h"
#include "player/stop_signal.h"
#include "player/worker_thread.h"

enum class JobKind { Mpeg, Mci };

// What the controller and a worker share for one opened entry. The mutex ("m") guards the two
// flags; it and the stop signal are made afresh by each open and shared with the worker, which
// keeps its own references: the record is reused for the next entry while an old worker may
// still be on its way out.
struct PlaybackControl {
    std::shared_ptr<std::recursive_mutex> mutex;
    std::shared_ptr<StopSignal> stop;
    bool stopRequested = false;
    bool finished = false;
};

struct DecodeJob : PlaybackControl {
    std::unique_ptr<MpegStream> stream;
    std::unique_ptr<FrameHeader> header;
    Crc16* firstFrameCrc = nullptr;  // the header's register, when the first frame is protected
};

struct MciJob : PlaybackControl {
    bool isCdTrack = false;
    bool isLastTrack = false;
    char trackText[8] = "1";
    char nextTrackText[8] = "2";
    int length = 0;  // ms
};

struct PlayerState {
    // The entry to open or being played: a full path, however long.
    std::string currentEntry;
    // A playlist was loaded into the playback list; never cleared again.
    bool listActive = false;
    JobKind jobKind = JobKind::Mci;
    bool ready = false;    // an entry is open and play may start it
    bool started = false;  // play started the open entry and nothing was opened since
    WorkerThread decodingThread;
    WorkerThread mciThread;
    // A decoding thread that handed over to the next entry and is ending by itself; whoever
    // stops next waits for it.
    WorkerThread retiredThread;
    DecodeJob decodeJob;
    MciJob mciJob;

    // The configured playlist, from the registry value "Playlist". Held whole: a full path on
    // Linux is often longer than the 49 characters the old fixed buffer allowed.
    std::string playlistPath;
    // Working copy of "RepeatMP3": the wrap argument of every advance.
    int repeat = 0;
    // Set by the saver in Run mode, where nobody is there to answer: a wave-out device that
    // cannot be opened then silences the music instead of ending the process.
    bool unattended = false;
};

// The process-wide player state.
PlayerState& player_state();
// Back to a new process's state (tests): stops whatever plays, then clears every field.
void reset_player_state();
