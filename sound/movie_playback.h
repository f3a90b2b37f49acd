// What both movie players share: the decoded movie paced by the platform
// clock, and its sound in a mixer voice at full volume while the sound
// manager exists. Advance never waits: it shows the frame that is due,
// decoding on as far as that (frames already late are passed over).
#pragma once
#include <cstdint>
#include <deque>
#include <memory>

#include "platform/draw_device.h"
#include "platform/media.h"
#include "platform/raster/surface.h"
#include "sound/mixer.h"

class CMoviePlayback {
public:
    // Sound decoded ahead of what plays.
    static constexpr size_t kAudioAhead = size_t(CMixer::kFrequency) / 2;
    static constexpr size_t kMaxFramesAhead = 8;
    // A frame shows at most this long, whatever the file's time base says.
    static constexpr int64_t kMaxFrameMs = 5000;
    // Frames one Advance decodes at most: a movie the machine cannot keep up
    // with falls behind the clock instead of holding up the program's frame.
    static constexpr int kMaxDecodesPerAdvance = 8;

    CMoviePlayback() = default;
    ~CMoviePlayback();
    CMoviePlayback(const CMoviePlayback&) = delete;
    CMoviePlayback& operator=(const CMoviePlayback&) = delete;

    // Opens the movie; its frames come out in the pixel format, scaled down to
    // fit maxWidth x maxHeight when larger. The clock starts now.
    bool Open(std::unique_ptr<plat::MediaInput> input, plat::raster::PixelFormat format, int maxWidth,
              int maxHeight);
    void Close();
    bool IsOpen() const { return m_source != nullptr; }

    // Moves to the frame due now; true when the frame shown changed.
    bool Advance();
    // The frame due now is the movie's last.
    bool AtLastFrame() const;
    // The last frame has been shown for its time.
    bool IsFinished() const;
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused; }

    bool HasFrame() const { return m_hasFrame; }
    // Copies the current frame into the top left of a locked 16-bit surface.
    void CopyFrame(const plat::LockInfo& lock) const;
    const plat::raster::Surface& Frame() const { return m_frame; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    CMixer::VoiceId Voice() const { return m_voice; }

private:
    struct Decoded {
        plat::raster::Surface pixels;
        int64_t timeMs = 0;
    };
    uint32_t Elapsed() const;
    // Decodes one more frame into the queue; false at the end.
    bool DecodeOne();
    // Decodes while the queue or the sound runs short, at most budget frames
    // (budget is lowered by the frames decoded; null: no limit).
    void Fill(int* budget = nullptr);
    // The time a decoded frame shows from: the file's when it comes after
    // the frame before by at most kMaxFrameMs, else one frame length after it.
    int64_t FrameTime(int64_t fileTime);

    std::unique_ptr<plat::MovieSource> m_source;
    std::deque<Decoded> m_queue;
    plat::raster::Surface m_frame;
    bool m_hasFrame = false;
    int64_t m_frameTime = 0;
    int64_t m_frameLength = 40;
    int64_t m_lastDecodedTime = -1;  // -1: none decoded yet
    bool m_sourceEnded = false;
    int m_width = 0, m_height = 0;
    uint32_t m_start = 0, m_pausedAt = 0, m_pausedTotal = 0;
    bool m_paused = false;
    CMixer::VoiceId m_voice = 0;
};
