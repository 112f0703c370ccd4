// The decoding thread: the frame loop, and the hand-over to the next entry at the end of the
// file (how it is kept apart from a stop on the main thread: player_controller.cpp).
#include "player/decode_thread.h"

#include "player/player_controller.h"
#include "player/player_lock.h"

bool open_mpeg_entry() {
    PlayerState& s = player_state();
    DecodeJob& job = s.decodeJob;
    s.jobKind = JobKind::Mpeg;
    job.mutex = std::make_shared<std::recursive_mutex>();
    job.stop = std::make_shared<StopSignal>();
    job.stopRequested = false;
    job.finished = false;
    job.stream = std::make_unique<MpegStream>();
    // A search through bytes that hold no frame ends at once on a stop, like every wait of the
    // worker.
    job.stream->set_stop_query([stop = job.stop] { return stop->raised(); });
    job.header = std::make_unique<FrameHeader>();
    Crc16* crc = nullptr;
    if (!open_mpeg_file(*job.stream, *job.header, s.currentEntry.c_str(), crc)) return false;
    job.firstFrameCrc = crc;
    return true;
}

void release_decoder(DecoderObjects& objects, bool stopped) {
    if (stopped && objects.output) objects.output->set_stopped();
    objects.output.reset();
    release_decoder_objects(objects.decoder);
}

int decode_thread(DecodeJob& job) {
    // Own references: after a hand-over the record already belongs to the next entry.
    MpegStream& stream = *job.stream;
    FrameHeader& header = *job.header;
    const std::shared_ptr<std::recursive_mutex> mutex = job.mutex;
    const std::shared_ptr<StopSignal> stop = job.stop;

    DecoderObjects objects;
    objects.output = std::make_unique<WaveOutOutput>(output_channels(header), header, stop.get());
    if (!objects.output->opened()) {
        // No sound device: the entry ends here without a hand-over, and the music stays silent
        // while the saver goes on.
        release_decoder(objects, false);
        return 1;
    }
    create_decoder(objects.decoder, stream, header, *objects.output);
    Crc16* crc = job.firstFrameCrc;

    do {
        mutex->lock();
        if (job.stopRequested) {
            release_decoder(objects, true);
            mutex->unlock();
            return 0;
        }
        mutex->unlock();
        decode_frame(objects.decoder, stream, header, crc, *objects.output);
    } while (header.read_frame(stream, crc));

    // End of the stream: play out the last buffers, then hand over to the next entry.
    mutex->lock();
    release_decoder(objects, false);
    job.finished = true;
    if (!job.stopRequested && lock_player_unless_stopped(*stop)) {
        stop_playback();
        advance(player_state().repeat != 0);
        unlock_player();
    }
    // A stop that came first has the player lock; this thread just ends, and its join follows.
    mutex->unlock();
    return 0;
}
