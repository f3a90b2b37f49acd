#include "sound/mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

// A growing first-in first-out store of stereo frames.
class CMixer::Ring {
public:
    size_t Count() const { return m_count; }
    void Clear() { m_head = m_count = 0; }
    void Push(const int16_t* frames, size_t count) {
        if (m_count + count > Capacity()) Grow(m_count + count);
        const size_t cap = Capacity();
        size_t tail = (m_head + m_count) % cap;
        for (size_t done = 0; done < count;) {
            const size_t n = std::min(count - done, cap - tail);
            std::memcpy(&m_data[tail * 2], frames + done * 2, n * 2 * sizeof(int16_t));
            done += n;
            tail = (tail + n) % cap;
        }
        m_count += count;
    }
    // The longest run of frames that lies in one piece at the front.
    const int16_t* Front(size_t& count) const {
        count = m_count ? std::min(m_count, Capacity() - m_head) : 0;
        return m_count ? &m_data[m_head * 2] : nullptr;
    }
    void Pop(size_t count) {
        count = std::min(count, m_count);
        m_head = Capacity() ? (m_head + count) % Capacity() : 0;
        m_count -= count;
    }

private:
    size_t Capacity() const { return m_data.size() / 2; }
    void Grow(size_t need) {
        const size_t cap = std::max(need, Capacity() * 2 + 4096);
        std::vector<int16_t> data(cap * 2);
        size_t got = 0;
        while (m_count) {
            size_t n = 0;
            const int16_t* f = Front(n);
            std::memcpy(&data[got * 2], f, n * 2 * sizeof(int16_t));
            got += n;
            Pop(n);
        }
        m_data.swap(data);
        m_head = 0;
        m_count = got;
    }

    std::vector<int16_t> m_data;
    size_t m_head = 0, m_count = 0;
};

// The decoder of a stream voice; only the feeder touches it.
struct CMixer::StreamFeed {
    std::unique_ptr<plat::AudioStreamDecoder> decoder;
};

struct CMixer::Voice {
    enum Kind : uint8_t { kSample, kStream, kQueue } kind = kSample;
    VoiceStatus status = VoiceStatus::kDone;
    int32_t volume = 127, pan = 64;
    float distanceGain = 1.0f;
    int32_t gainLeft = 65536, gainRight = 65536;
    uint32_t loops = 1;
    uint64_t position = 0;  // frames from the start
    // Samples.
    std::shared_ptr<const PcmFrames> frames;
    // Streams and queues.
    Ring ring;
    std::shared_ptr<StreamFeed> feed;
    uint32_t generation = 0;  // raised by every seek; older decoded frames are dropped
    bool seekPending = false;
    uint32_t seekMs = 0;
    bool endOfFile = false;

    void UpdateGains() { Gains(volume, pan, distanceGain, gainLeft, gainRight); }
    void SeekTo(uint32_t ms) {
        ring.Clear();
        position = uint64_t(ms) * uint64_t(kFrequency) / 1000;
        seekPending = true;
        seekMs = ms;
        endOfFile = false;
        ++generation;
    }
};

CMixer::CMixer() = default;

CMixer::~CMixer() {
    Close();
}

void CMixer::Gains(int32_t volume, int32_t pan, float distanceGain, int32_t& left, int32_t& right) {
    volume = std::clamp(volume, 0, 127);
    pan = std::clamp(pan, 0, 127);
    const double gain = volume / 127.0 * std::clamp(double(distanceGain), 0.0, 1.0);
    const double l = pan <= 64 ? 1.0 : (127 - pan) / 63.0;
    const double r = pan <= 64 ? pan / 64.0 : 1.0;
    left = int32_t(std::lround(gain * l * 65536.0));
    right = int32_t(std::lround(gain * r * 65536.0));
}

bool CMixer::Open() {
    if (m_audio) return true;
    plat::Audio& audio = plat::GetAudio();
    if (!audio.Open(kFrequency, 16, kChannels,
                    [this](void* out, int frames) { Mix(static_cast<int16_t*>(out), frames); }))
        return false;
    m_audio = &audio;
    m_synchronousFeed = audio.RendersOnCallerThread();
    if (!m_synchronousFeed) {
        m_feederRun = true;
        m_feeder = std::thread([this] { FeederLoop(); });
    }
    audio.Pause(false);
    return true;
}

void CMixer::Close() {
    if (!m_audio) return;
    {
        std::lock_guard<std::mutex> lock(m_feederMutex);
        m_feederRun = false;
    }
    m_feederWake.notify_all();
    if (m_feeder.joinable()) m_feeder.join();
    m_audio->Close();
    m_audio = nullptr;
    m_voices.clear();
}

std::shared_ptr<CMixer::Voice> CMixer::Find(VoiceId voice) const {
    auto it = m_voices.find(voice);
    return it == m_voices.end() ? nullptr : it->second;
}

CMixer::VoiceId CMixer::Add(std::shared_ptr<Voice> voice) {
    if (!m_audio) return 0;
    voice->UpdateGains();
    plat::AudioLock lock(*m_audio);
    const VoiceId id = m_nextId++;
    if (m_nextId == 0) m_nextId = 1;
    m_voices[id] = std::move(voice);
    return id;
}

CMixer::VoiceId CMixer::CreateSampleVoice(std::shared_ptr<const PcmFrames> frames) {
    if (!frames) return 0;
    auto v = std::make_shared<Voice>();
    v->kind = Voice::kSample;
    v->frames = std::move(frames);
    return Add(std::move(v));
}

CMixer::VoiceId CMixer::CreateStreamVoice(std::unique_ptr<plat::AudioStreamDecoder> decoder) {
    if (!decoder) return 0;
    auto v = std::make_shared<Voice>();
    v->kind = Voice::kStream;
    v->status = VoiceStatus::kStopped;
    v->feed = std::make_shared<StreamFeed>();
    v->feed->decoder = std::move(decoder);
    const VoiceId id = Add(std::move(v));
    WakeFeeder();
    return id;
}

CMixer::VoiceId CMixer::CreateQueueVoice() {
    auto v = std::make_shared<Voice>();
    v->kind = Voice::kQueue;
    v->status = VoiceStatus::kStopped;
    return Add(std::move(v));
}

void CMixer::ReleaseVoice(VoiceId voice) {
    if (!m_audio) return;
    std::shared_ptr<Voice> gone;  // freed after the lock (a stream's decoder with it)
    {
        plat::AudioLock lock(*m_audio);
        auto it = m_voices.find(voice);
        if (it == m_voices.end()) return;
        gone = std::move(it->second);
        m_voices.erase(it);
    }
}

size_t CMixer::VoiceCount() const {
    return m_voices.size();
}

template <class F>
void CMixer::WithVoice(VoiceId voice, F change) {
    if (!m_audio) return;
    plat::AudioLock lock(*m_audio);
    if (std::shared_ptr<Voice> v = Find(voice)) change(*v);
}

template <class T, class F>
T CMixer::ReadVoice(VoiceId voice, T fallback, F read) const {
    if (!m_audio) return fallback;
    plat::AudioLock lock(*m_audio);
    std::shared_ptr<Voice> v = Find(voice);
    return v ? read(*v) : fallback;
}

void CMixer::Start(VoiceId voice, uint32_t loops) {
    WithVoice(voice, [loops](Voice& v) {
        v.loops = loops;
        if (v.kind == Voice::kSample)
            v.position = 0;
        else if (v.kind == Voice::kStream && v.status == VoiceStatus::kDone)
            v.SeekTo(0);
        v.status = VoiceStatus::kPlaying;
    });
    WakeFeeder();
}

void CMixer::SetLoopCount(VoiceId voice, uint32_t loops) {
    WithVoice(voice, [loops](Voice& v) { v.loops = loops; });
}

uint32_t CMixer::GetLoopCount(VoiceId voice) const {
    return ReadVoice(voice, 0u, [](const Voice& v) { return v.loops; });
}

void CMixer::Stop(VoiceId voice) {
    WithVoice(voice, [](Voice& v) {
        if (v.status == VoiceStatus::kPlaying) v.status = VoiceStatus::kStopped;
    });
}

void CMixer::End(VoiceId voice) {
    WithVoice(voice, [](Voice& v) {
        v.status = VoiceStatus::kDone;
        v.position = 0;
    });
}

VoiceStatus CMixer::GetStatus(VoiceId voice) const {
    return ReadVoice(voice, VoiceStatus::kDone, [](const Voice& v) { return v.status; });
}

void CMixer::SetVolume(VoiceId voice, int32_t volume) {
    WithVoice(voice, [volume](Voice& v) {
        v.volume = std::clamp(volume, 0, 127);
        v.UpdateGains();
    });
}

int32_t CMixer::GetVolume(VoiceId voice) const {
    return ReadVoice(voice, -1, [](const Voice& v) { return v.volume; });
}

void CMixer::SetPan(VoiceId voice, int32_t pan) {
    WithVoice(voice, [pan](Voice& v) {
        v.pan = std::clamp(pan, 0, 127);
        v.UpdateGains();
    });
}

int32_t CMixer::GetPan(VoiceId voice) const {
    return ReadVoice(voice, -1, [](const Voice& v) { return v.pan; });
}

void CMixer::SetDistanceGain(VoiceId voice, float gain) {
    WithVoice(voice, [gain](Voice& v) {
        v.distanceGain = std::clamp(gain, 0.0f, 1.0f);
        v.UpdateGains();
    });
}

uint32_t CMixer::GetPositionMs(VoiceId voice) const {
    return ReadVoice(voice, 0u, [](const Voice& v) {
        return uint32_t(std::min<uint64_t>(v.position * 1000 / kFrequency, UINT32_MAX));
    });
}

void CMixer::SetPositionMs(VoiceId voice, uint32_t ms) {
    WithVoice(voice, [ms](Voice& v) {
        if (v.kind == Voice::kStream)
            v.SeekTo(ms);
        else if (v.kind == Voice::kSample)
            v.position = std::min<uint64_t>(uint64_t(ms) * kFrequency / 1000, v.frames->size() / 2);
    });
    WakeFeeder();
}

void CMixer::QueueFrames(VoiceId voice, const int16_t* frames, size_t count) {
    if (!frames || !count) return;
    WithVoice(voice, [frames, count](Voice& v) {
        if (v.kind == Voice::kQueue) v.ring.Push(frames, count);
    });
}

size_t CMixer::QueuedFrames(VoiceId voice) const {
    return ReadVoice(voice, size_t(0), [](const Voice& v) { return v.ring.Count(); });
}

// ---- Mixing (on the device's thread, under its lock) ----

namespace {

inline void AddScaled(int32_t* sums, const int16_t* frames, size_t count, int32_t left, int32_t right) {
    for (size_t i = 0; i < count; ++i) {
        sums[i * 2] += (int32_t(frames[i * 2]) * left) >> 16;
        sums[i * 2 + 1] += (int32_t(frames[i * 2 + 1]) * right) >> 16;
    }
}

}  // namespace

void CMixer::MixVoice(Voice& v, int32_t* sums, int frames) {
    if (v.status != VoiceStatus::kPlaying) return;
    size_t done = 0;
    const size_t want = size_t(frames);
    while (done < want && v.status == VoiceStatus::kPlaying) {
        if (v.kind == Voice::kSample) {
            const size_t total = v.frames->size() / 2;
            if (v.position < total) {
                const size_t n = std::min(want - done, size_t(total - v.position));
                AddScaled(sums + done * 2, v.frames->data() + v.position * 2, n, v.gainLeft, v.gainRight);
                v.position += n;
                done += n;
                continue;
            }
            // At the end: another loop or done.
            if (v.loops != 1 && total > 0) {
                if (v.loops > 1) --v.loops;
                v.position = 0;
            } else {
                v.status = VoiceStatus::kDone;
            }
            continue;
        }
        size_t n = 0;
        const int16_t* f = v.ring.Front(n);
        if (n) {
            n = std::min(n, want - done);
            AddScaled(sums + done * 2, f, n, v.gainLeft, v.gainRight);
            v.ring.Pop(n);
            v.position += n;
            done += n;
            continue;
        }
        if (v.kind == Voice::kStream && v.endOfFile) {
            if (v.loops != 1) {
                if (v.loops > 1) --v.loops;
                v.SeekTo(0);
            } else {
                v.status = VoiceStatus::kDone;
            }
        }
        break;  // nothing more to play now
    }
}

void CMixer::Mix(int16_t* out, int frames) {
    if (frames <= 0) return;
    int at = 0;
    while (at < frames) {
        const int n = std::min(kMixPiece, frames - at);
        if (m_synchronousFeed) FeedStreams();
        m_sums.assign(size_t(n) * 2, 0);
        for (auto& [id, voice] : m_voices) MixVoice(*voice, m_sums.data(), n);
        for (size_t i = 0; i < size_t(n) * 2; ++i)
            out[size_t(at) * 2 + i] = int16_t(std::clamp(m_sums[i], -32768, 32767));
        at += n;
    }
    if (!m_synchronousFeed) WakeFeeder();
}

// ---- Feeding streams ----

void CMixer::Feed(const std::shared_ptr<Voice>& voice) {
    if (!m_audio) return;
    uint32_t generation = 0;
    bool seek = false;
    uint32_t seekMs = 0;
    size_t want = 0;
    std::shared_ptr<StreamFeed> feed;
    {
        plat::AudioLock lock(*m_audio);
        if (voice->endOfFile && !voice->seekPending) return;
        generation = voice->generation;
        seek = voice->seekPending;
        seekMs = voice->seekMs;
        voice->seekPending = false;
        const size_t have = voice->ring.Count();
        want = have < kStreamAhead ? kStreamAhead - have : 0;
        feed = voice->feed;
    }
    if (!feed || (!seek && want == 0)) return;
    plat::AudioStreamDecoder& decoder = *feed->decoder;
    if (seek) decoder.Seek(seekMs);
    std::vector<int16_t> decoded(want * 2);
    const int got = want ? decoder.Read(decoded.data(), int(want)) : 0;
    const bool atEnd = size_t(got) < want;
    plat::AudioLock lock(*m_audio);
    if (voice->generation != generation) return;  // sought meanwhile: the next round reads again
    voice->ring.Push(decoded.data(), size_t(got));
    if (atEnd) voice->endOfFile = true;
}

void CMixer::FeedStreams() {
    std::vector<std::shared_ptr<Voice>> streams;
    {
        plat::AudioLock lock(*m_audio);
        for (auto& [id, voice] : m_voices)
            if (voice->kind == Voice::kStream) streams.push_back(voice);
    }
    for (const auto& voice : streams) Feed(voice);
}

void CMixer::WakeFeeder() {
    if (m_synchronousFeed || !m_audio) return;
    {
        std::lock_guard<std::mutex> lock(m_feederMutex);
        m_feederKick = true;
    }
    m_feederWake.notify_one();
}

void CMixer::FeederLoop() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_feederMutex);
            m_feederWake.wait_for(lock, std::chrono::milliseconds(20),
                                  [this] { return m_feederKick || !m_feederRun; });
            if (!m_feederRun) return;
            m_feederKick = false;
        }
        FeedStreams();
    }
}
