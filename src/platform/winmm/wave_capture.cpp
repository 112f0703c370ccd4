// The capture device: records what each open device plays, on the test's clock.
#include "platform/winmm/wave_capture.h"

#include <mutex>

struct CaptureWave::Shared {
    struct Entry {
        CapturedDevice record;
        std::weak_ptr<WaveSource> source;  // empty once the device is closed
        std::uint64_t carry = 0;           // ms x bytes per second not yet played
    };

    mutable std::mutex mutex;
    std::mutex play_mutex;  // one device plays at a time, so the record keeps the played order
    std::vector<Entry> entries;
    std::vector<std::uint8_t> played;
    MMRESULT fail = MMSYSERR_NOERROR;
    bool instant = false;

    std::shared_ptr<WaveSource> source_of(std::size_t index) {
        std::lock_guard lock(mutex);
        return entries[index].source.lock();
    }

    // The device plays up to `bytes` of its queue; returns the bytes played.
    std::size_t play(std::size_t index, WaveSource& source, std::size_t bytes) {
        std::lock_guard play_lock(play_mutex);
        std::vector<std::uint8_t> chunk(bytes);
        const std::size_t n = source.pull(chunk);
        chunk.resize(n);
        std::lock_guard lock(mutex);
        auto& mine = entries[index].record.played;
        mine.insert(mine.end(), chunk.begin(), chunk.end());
        played.insert(played.end(), chunk.begin(), chunk.end());
        return n;
    }

    std::ptrdiff_t newest_open() const {
        for (std::size_t i = entries.size(); i-- > 0;) {
            if (!entries[i].record.closed) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }
};

namespace {

class CaptureStream final : public WaveStream {
public:
    CaptureStream(std::shared_ptr<CaptureWave::Shared> shared, std::size_t index)
        : shared_(std::move(shared)), index_(index) {}

    ~CaptureStream() override {
        std::lock_guard lock(shared_->mutex);
        shared_->entries[index_].record.closed = true;
        shared_->entries[index_].source.reset();
    }

    void data_ready() override {
        {
            std::lock_guard lock(shared_->mutex);
            if (!shared_->instant) return;
        }
        auto source = shared_->source_of(index_);
        if (!source) return;
        // Everything queued plays now; the notices follow on the device's own thread.
        while (shared_->play(index_, *source, 1 << 16) > 0) {
        }
        source->pull({});  // completes a trailing empty buffer
    }

private:
    std::shared_ptr<CaptureWave::Shared> shared_;
    std::size_t index_;
};

}  // namespace

CaptureWave::CaptureWave() : shared_(std::make_shared<Shared>()) { install_wave_backend(this); }

CaptureWave::~CaptureWave() { install_wave_backend(nullptr); }

void CaptureWave::fail_open(MMRESULT result) {
    std::lock_guard lock(shared_->mutex);
    shared_->fail = result;
}

void CaptureWave::set_instant(bool on) {
    std::lock_guard lock(shared_->mutex);
    shared_->instant = on;
}

MMRESULT CaptureWave::open_stream(const WAVEFORMATEX& format,
                                  const std::shared_ptr<WaveSource>& source,
                                  std::unique_ptr<WaveStream>* stream) {
    std::lock_guard lock(shared_->mutex);
    if (shared_->fail != MMSYSERR_NOERROR) return shared_->fail;
    Shared::Entry entry;
    entry.record.format = format;
    entry.source = source;
    shared_->entries.push_back(std::move(entry));
    *stream = std::make_unique<CaptureStream>(shared_, shared_->entries.size() - 1);
    return MMSYSERR_NOERROR;
}

void CaptureWave::advance(DWORD ms) {
    std::size_t count = 0;
    {
        std::lock_guard lock(shared_->mutex);
        count = shared_->entries.size();
    }
    for (std::size_t i = 0; i < count; ++i) {
        auto source = shared_->source_of(i);
        if (!source) continue;
        std::size_t bytes = 0;
        {
            std::lock_guard lock(shared_->mutex);
            auto& entry = shared_->entries[i];
            const WAVEFORMATEX& f = entry.record.format;
            entry.carry += std::uint64_t{ms} * f.nAvgBytesPerSec;
            bytes = static_cast<std::size_t>(entry.carry / 1000);
            bytes -= bytes % f.nBlockAlign;
            entry.carry -= std::uint64_t{bytes} * 1000;
        }
        const std::size_t n = shared_->play(i, *source, bytes);
        if (n < bytes) {
            // The queue ran dry: that time passed in silence.
            std::lock_guard lock(shared_->mutex);
            shared_->entries[i].carry = 0;
        }
        source->wait_notices();
    }
}

bool CaptureWave::complete_next() {
    std::ptrdiff_t index = -1;
    {
        std::lock_guard lock(shared_->mutex);
        index = shared_->newest_open();
    }
    if (index < 0) return false;
    auto source = shared_->source_of(static_cast<std::size_t>(index));
    if (!source || source->queued_buffers() == 0) return false;
    shared_->play(static_cast<std::size_t>(index), *source, source->head_bytes_left());
    source->wait_notices();
    return true;
}

std::size_t CaptureWave::queued() const {
    std::ptrdiff_t index = -1;
    {
        std::lock_guard lock(shared_->mutex);
        index = shared_->newest_open();
    }
    if (index < 0) return 0;
    auto source = shared_->source_of(static_cast<std::size_t>(index));
    return source ? source->queued_buffers() : 0;
}

std::vector<std::uint8_t> CaptureWave::played() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->played;
}

std::vector<CapturedDevice> CaptureWave::devices() const {
    std::lock_guard lock(shared_->mutex);
    std::vector<CapturedDevice> out;
    for (const auto& e : shared_->entries) out.push_back(e.record);
    return out;
}

int CaptureWave::open_count() const {
    std::lock_guard lock(shared_->mutex);
    return static_cast<int>(shared_->entries.size());
}
