// Layer I/II frame decode: creates the frame's subband objects and drives them in stream order.
#include "mpeg/layer12_decode.h"

#include <array>
#include <cstring>
#include <variant>

#include "mpeg/subband.h"
#include "mpeg/synthesis_dct.h"

namespace {

using SubbandSlot = std::variant<std::monostate, L1MonoSubband, L1IntensitySubband, L1StereoSubband,
                                 L2MonoSubband, L2IntensitySubband, L2StereoSubband>;

// The subband objects of one frame, made in place: they live exactly as long as the frame.
struct FrameSubbands {
    std::array<SubbandSlot, 32> slots;
    std::array<Subband*, 32> objects{};
    int count = 0;

    template <class T, class... Args>
    void add(Args&&... args) {
        objects[count] = &slots[count].emplace<T>(std::forward<Args>(args)...);
        ++count;
    }
};

constexpr int kMaxRuns = 36;  // filter runs of a layer II frame; a layer I frame has 12

struct Staging {
    float in[2][kMaxRuns * 32];
    float out[2][kMaxRuns * 32];

    // Copies the filter's input slots as run `run`. The slots are not cleared run by run, as
    // a run of the filter would: within a frame every subband writes its slots in every run or
    // in none (that depends only on its allocations), so the slots left alone stay zero until
    // the frame's end clears them all.
    void take(int channel, int run, const SynthesisFilter& filter) {
        std::memcpy(in[channel] + run * 32, filter.input, sizeof filter.input);
    }
};

void create_subbands(const FrameHeader& header, FrameSubbands& subbands) {
    bool single = header.mode == kSingleChannel;
    bool joint = header.mode == kJointStereo;
    if (header.layer == 1) {
        for (int sb = 0; sb < 32; ++sb) {
            if (single) {
                subbands.add<L1MonoSubband>(sb);
            } else if (joint && sb >= header.intensity_bound) {
                subbands.add<L1IntensitySubband>(sb);
            } else {
                subbands.add<L1StereoSubband>(sb);
            }
        }
        return;
    }
    const Layer2AllocationTable& table = layer2_allocation_table(header);
    int count =
        header.subband_count < table.subband_limit ? header.subband_count : table.subband_limit;
    for (int sb = 0; sb < count; ++sb) {
        const Layer2AllocationRow& row = table.rows[sb];
        if (single) {
            subbands.add<L2MonoSubband>(sb, row);
        } else if (joint && sb >= header.intensity_bound) {
            subbands.add<L2IntensitySubband>(sb, row);
        } else {
            subbands.add<L2StereoSubband>(sb, row);
        }
    }
}

}  // namespace

bool decode_layer12_frame(MpegStream& stream, const FrameHeader& header, Crc16* crc,
                          SynthesisFilter* left, SynthesisFilter* right, PcmOutput& output) {
    FrameSubbands subbands;
    create_subbands(header, subbands);
    const int n = subbands.count;
    Subband* const* sb = subbands.objects.data();

    for (int i = 0; i < n; ++i) sb[i]->read_allocation(stream, header, crc);
    if (header.layer == 2) {
        for (int i = 0; i < n; ++i) sb[i]->read_scale_factor_selection(stream, crc);
    }
    if (crc) {
        bool match = crc->reg == header.checksum;
        crc->reg = 0xFFFF;
        if (!match) return false;
    }
    for (int i = 0; i < n; ++i) sb[i]->read_scale_factors(stream, header);

    // The sample loops leave out subbands without samples in this frame: for them a read and
    // a put do nothing but count. The last subband stays, since its results end the loops.
    Subband* active[32];
    int count = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (sb[i]->coded()) active[count++] = sb[i];
    }
    active[count++] = sb[n - 1];

    // Each run's input slots are set aside as they are filled; the matrixing transforms of the
    // frame's runs are then done side by side, and the runs go through the filters in order,
    // left and right alternating.
    Staging staging;
    int runs = 0;
    bool read_done = false;
    while (!read_done) {
        for (int i = 0; i < count; ++i) read_done = active[i]->read_samples(stream);
        bool put_done = false;
        while (!put_done && runs < kMaxRuns) {
            for (int i = 0; i < count; ++i) put_done = active[i]->put_next_sample(left, right);
            staging.take(0, runs, *left);
            if (right) staging.take(1, runs, *right);
            ++runs;
        }
    }
    std::memset(left->input, 0, sizeof left->input);
    if (right) std::memset(right->input, 0, sizeof right->input);
    synthesis_dct32_batch(staging.in[0], 32, 1, runs, staging.out[0]);
    if (right) synthesis_dct32_batch(staging.in[1], 32, 1, runs, staging.out[1]);
    for (int r = 0; r < runs; ++r) {
        if (right) {
            run_transformed_pair(*left, staging.out[0] + 32 * r, *right, staging.out[1] + 32 * r,
                                 output);
        } else {
            left->run_transformed(staging.out[0] + 32 * r, output);
        }
    }
    output.frame_done(1);
    return true;
}
