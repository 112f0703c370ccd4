// The decoding thread: plays one MPEG audio file into the wave-out output and, at its end,
// hands over to the next playlist entry.
#pragma once

#include <memory>

#include "mpeg/mpeg_decoder.h"
#include "player/player_state.h"
#include "player/wave_out_output.h"

// Prepares the DecodeJob for currentEntry: opens the file and reads its first frame. On
// failure the messages have been shown ("No header found!" / "File format error") and the
// stream, header and mutex stay in the job until the controller releases them.
bool open_mpeg_entry();

// The thread procedure; returns the thread's exit code.
int decode_thread(DecodeJob& job);

// The decoder objects of one decoding thread.
struct DecoderObjects {
    MpegDecoder decoder;  // the synthesis filters and the Layer3Decoder
    std::unique_ptr<WaveOutOutput> output;
};

// The thread's clean-up: a stopped output drops its queued audio, else it plays it out.
void release_decoder(DecoderObjects& objects, bool stopped);
