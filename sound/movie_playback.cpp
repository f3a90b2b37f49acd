#include "sound/movie_playback.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "sound/sound_mgr.h"

namespace {

// The mixer movie sound plays through, while the sound manager exists.
CMixer* MovieMixer() {
    return g_pSoundMgr && g_pSoundMgr->GetSoundSystem() ? g_pSoundMgr->GetSoundSystem()->GetDriver()
                                                        : nullptr;
}

}  // namespace

CMoviePlayback::~CMoviePlayback() {
    Close();
}

bool CMoviePlayback::Open(std::unique_ptr<plat::MediaInput> input, plat::raster::PixelFormat format,
                          int maxWidth, int maxHeight) {
    Close();
    auto source = std::make_unique<plat::MovieSource>();
    if (!input || !source->Open(std::move(input), format)) return false;
    m_width = source->Width();
    m_height = source->Height();
    if (maxWidth > 0 && maxHeight > 0 && (m_width > maxWidth || m_height > maxHeight)) {
        const double scale = std::min(double(maxWidth) / m_width, double(maxHeight) / m_height);
        m_width = std::max(1, int(m_width * scale));
        m_height = std::max(1, int(m_height * scale));
        source->SetOutputSize(m_width, m_height);
    }
    const double rate = source->FrameRate();
    if (rate <= 0)
        m_frameLength = 40;
    else if (rate < 1000.0 / double(kMaxFrameMs))
        m_frameLength = kMaxFrameMs;
    else
        m_frameLength = std::max<int64_t>(1, std::lround(1000.0 / rate));
    m_lastDecodedTime = -1;
    m_source = std::move(source);
    m_queue.clear();
    m_hasFrame = m_sourceEnded = m_paused = false;
    m_frameTime = 0;
    m_start = plat::timeGetTime();
    m_pausedTotal = 0;
    if (CMixer* mixer = MovieMixer(); mixer && m_source->HasAudio()) {
        m_voice = mixer->CreateQueueVoice();
        mixer->SetVolume(m_voice, 127);
        mixer->Start(m_voice, 0);
    }
    Fill();
    return true;
}

void CMoviePlayback::Close() {
    if (CMixer* mixer = MovieMixer(); mixer && m_voice) mixer->ReleaseVoice(m_voice);
    m_voice = 0;
    m_source.reset();
    m_queue.clear();
    m_hasFrame = false;
}

uint32_t CMoviePlayback::Elapsed() const {
    const uint32_t now = m_paused ? m_pausedAt : plat::timeGetTime();
    return now - m_start - m_pausedTotal;
}

bool CMoviePlayback::DecodeOne() {
    if (m_sourceEnded || !m_source) return false;
    Decoded d;
    std::vector<int16_t> audio;
    const bool got = m_source->NextFrame(d.pixels, d.timeMs, audio);
    if (CMixer* mixer = MovieMixer(); mixer && m_voice && !audio.empty())
        mixer->QueueFrames(m_voice, audio.data(), audio.size() / 2);
    if (!got) {
        m_sourceEnded = true;
        return false;
    }
    d.timeMs = FrameTime(d.timeMs);
    m_queue.push_back(std::move(d));
    return true;
}

int64_t CMoviePlayback::FrameTime(int64_t fileTime) {
    const bool first = m_lastDecodedTime < 0;
    const int64_t earliest = first ? 0 : m_lastDecodedTime + 1;
    const int64_t latest = first ? kMaxFrameMs : m_lastDecodedTime + kMaxFrameMs;
    if (fileTime >= earliest && fileTime <= latest)
        m_lastDecodedTime = fileTime;
    else
        m_lastDecodedTime = first ? 0 : m_lastDecodedTime + m_frameLength;
    return m_lastDecodedTime;
}

void CMoviePlayback::Fill(int* budget) {
    CMixer* mixer = MovieMixer();
    // One frame beyond the one shown, and the sound some way ahead.
    while (m_queue.size() < kMaxFramesAhead && (!budget || *budget > 0)) {
        const bool soundShort = mixer && m_voice && mixer->QueuedFrames(m_voice) < kAudioAhead;
        if (!m_queue.empty() && !soundShort) break;
        if (budget) --*budget;
        if (!DecodeOne()) break;
    }
}

bool CMoviePlayback::Advance() {
    if (!m_source || m_paused) return false;
    const int64_t elapsed = Elapsed();
    bool changed = false;
    int budget = kMaxDecodesPerAdvance;
    for (;;) {
        Fill(&budget);
        if (m_queue.empty() || m_queue.front().timeMs > elapsed) break;
        m_frame = std::move(m_queue.front().pixels);
        m_frameTime = m_queue.front().timeMs;
        m_queue.pop_front();
        m_hasFrame = changed = true;
    }
    return changed;
}

bool CMoviePlayback::AtLastFrame() const {
    return m_hasFrame && m_sourceEnded && m_queue.empty();
}

bool CMoviePlayback::IsFinished() const {
    return !m_source || (AtLastFrame() && int64_t(Elapsed()) >= m_frameTime + m_frameLength) ||
           (m_sourceEnded && !m_hasFrame && m_queue.empty());
}

void CMoviePlayback::CopyFrame(const plat::LockInfo& lock) const {
    if (!lock.bits || !m_hasFrame) return;
    const int rows = std::min(m_frame.Height(), lock.height);
    const size_t bytes = size_t(std::min(m_frame.Width(), lock.width)) * 2;
    for (int y = 0; y < rows; ++y)
        std::memcpy(lock.bits + size_t(y) * size_t(lock.pitch), m_frame.Row(y), bytes);
}

void CMoviePlayback::SetPaused(bool paused) {
    if (paused == m_paused || !m_source) return;
    const uint32_t now = plat::timeGetTime();
    if (paused) {
        m_pausedAt = now;
    } else {
        m_pausedTotal += now - m_pausedAt;
    }
    m_paused = paused;
    if (CMixer* mixer = MovieMixer(); mixer && m_voice) {
        if (paused)
            mixer->Stop(m_voice);
        else
            mixer->Start(m_voice, 0);
    }
}
