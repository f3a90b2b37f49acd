// The program's software mixer: every sound plays as a voice of it, mixed at
// 44,100 Hz into 16-bit stereo on the audio device's thread (32-bit sums,
// saturated). Volume v (0-127) is the gain v / 127; pan p (0 left, 64 centre,
// 127 right) keeps the left side at 1 up to 64 and then lowers it as
// (127 - p) / 63, and raises the right side as p / 64 up to 64.
//
// Three kinds of voice: a sample (decoded PCM shared with the sample cache),
// a stream (a decoder read about a second ahead by the feeder thread, or
// inside the render call when the device renders on the caller's thread) and
// a queue (frames the caller pushes, the movies' sound). Every operation here
// runs on the main thread and takes the device lock only to touch a voice,
// never while decoding.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/media.h"

// Interleaved stereo frames at the mix rate.
using PcmFrames = std::vector<int16_t>;

// Voice states, as the sound objects report them.
enum class VoiceStatus : uint8_t { kDone = 2, kPlaying = 4, kStopped = 8 };

class CMixer {
public:
    static constexpr int kFrequency = plat::kMixFrequency;
    static constexpr int kChannels = 2;
    // Frames a stream is decoded ahead of what plays.
    static constexpr size_t kStreamAhead = size_t(kFrequency);
    // The render call mixes in pieces of at most this many frames (streams are
    // fed between pieces when the device renders on the caller's thread).
    static constexpr int kMixPiece = 1024;
    using VoiceId = uint32_t;  // 0: none

    CMixer();
    ~CMixer();
    CMixer(const CMixer&) = delete;
    CMixer& operator=(const CMixer&) = delete;

    // Opens the platform's audio device at 44,100 Hz, 16 bits, stereo and
    // starts it; false without a device.
    bool Open();
    // Stops the device and the feeder, and drops every voice.
    void Close();
    bool IsOpen() const { return m_audio != nullptr; }

    VoiceId CreateSampleVoice(std::shared_ptr<const PcmFrames> frames);
    VoiceId CreateStreamVoice(std::unique_ptr<plat::AudioStreamDecoder> decoder);
    VoiceId CreateQueueVoice();
    void ReleaseVoice(VoiceId voice);
    size_t VoiceCount() const;

    // Starts the voice with a loop count (1 once, 0 forever, n times): a
    // sample from its start, a stopped stream or queue where it stopped, a
    // finished stream from its start.
    void Start(VoiceId voice, uint32_t loops);
    void SetLoopCount(VoiceId voice, uint32_t loops);
    // The loops left, counting the one playing (0: forever).
    uint32_t GetLoopCount(VoiceId voice) const;
    // Stops where it is (Start goes on from there for streams and queues).
    void Stop(VoiceId voice);
    // Ends it: done, position back to the start.
    void End(VoiceId voice);
    VoiceStatus GetStatus(VoiceId voice) const;

    void SetVolume(VoiceId voice, int32_t volume);  // 0-127, held to that range
    int32_t GetVolume(VoiceId voice) const;         // -1 for no voice
    void SetPan(VoiceId voice, int32_t pan);        // 0-127, held to that range
    int32_t GetPan(VoiceId voice) const;
    // The 3D provider's factor on top of the volume (0-1).
    void SetDistanceGain(VoiceId voice, float gain);

    // Position from the voice's start in ms; setting it on a stream makes the
    // feeder seek there.
    uint32_t GetPositionMs(VoiceId voice) const;
    void SetPositionMs(VoiceId voice, uint32_t ms);

    // Appends frames to a queue voice. QueuedFrames: what a queue or stream
    // voice holds and has not played yet.
    void QueueFrames(VoiceId voice, const int16_t* frames, size_t count);
    size_t QueuedFrames(VoiceId voice) const;

    // The render callback: mixes frames stereo frames into out.
    void Mix(int16_t* out, int frames);

    // The left and right gains (of 65,536) of a volume and pan.
    static void Gains(int32_t volume, int32_t pan, float distanceGain, int32_t& left, int32_t& right);

private:
    struct Voice;
    struct StreamFeed;
    class Ring;

    std::shared_ptr<Voice> Find(VoiceId voice) const;
    // Runs change on the voice under the device lock (nothing without it).
    template <class F>
    void WithVoice(VoiceId voice, F change);
    // What read gives of the voice under the device lock, or fallback.
    template <class T, class F>
    T ReadVoice(VoiceId voice, T fallback, F read) const;
    VoiceId Add(std::shared_ptr<Voice> voice);
    void MixVoice(Voice& v, int32_t* sums, int frames);
    // Tops every stream up to kStreamAhead (the feeder's round).
    void FeedStreams();
    void Feed(const std::shared_ptr<Voice>& voice);
    void FeederLoop();
    void WakeFeeder();

    plat::Audio* m_audio = nullptr;
    bool m_synchronousFeed = false;
    std::map<VoiceId, std::shared_ptr<Voice>> m_voices;  // under the device lock
    VoiceId m_nextId = 1;
    std::vector<int32_t> m_sums;  // render-thread scratch

    std::thread m_feeder;
    std::mutex m_feederMutex;
    std::condition_variable m_feederWake;
    bool m_feederRun = false, m_feederKick = false;
};
