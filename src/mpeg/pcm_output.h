// The sink of decoded audio: 16-bit PCM samples per channel and the end of each frame.
#pragma once

#include <cstdint>

class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    // One 16-bit signed sample for channel 0 (left) or 1 (right); the output interleaves the
    // channels itself.
    virtual void put_sample(int channel, int value) = 0;
    // The frame whose samples were just delivered is complete (callers pass 1).
    virtual void frame_done(int flag) = 0;
    // Makes the destruction drop queued audio instead of playing it out.
    virtual void set_stopped() = 0;
    // A run of samples of one channel, as count calls of put sample in order. The synthesis
    // filter delivers its 32 samples per run this way, so that an output may take them in one
    // call; the default hands them to put sample one by one.
    virtual void put_samples(int channel, const std::int16_t* values, int count) {
        for (int i = 0; i < count; ++i) put_sample(channel, values[i]);
    }
};
