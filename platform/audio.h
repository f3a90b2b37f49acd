// The audio output device. The real one opens the default device through SDL2
// at exactly the format asked for (SDL converts to what the hardware takes)
// and calls the render callback on its own audio thread; with
// SDL_AUDIODRIVER=dummy it plays into nothing. The recording device has no
// thread: a test asks it to render frames and reads the mix. With the setting
// QM_AUDIO_DUMP=<file.wav> the program renders through a recording device
// paced by the platform clock and writes what it mixed to that file when the
// device is closed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace plat {

// Fills frames frames of interleaved samples (16-bit signed for 16 bits,
// unsigned bytes for 8) into out.
using AudioRender = std::function<void(void* out, int frames)>;

class Audio {
public:
    virtual ~Audio() = default;
    // Opens the output at this format; false when there is no device (or one
    // is open already).
    virtual bool Open(int frequency, int bits, int channels, AudioRender render) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // No render callback runs between Lock and Unlock.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    // A paused device renders nothing; a new device starts paused.
    virtual void Pause(bool paused) = 0;
    // True when rendering happens only when a caller asks for it on its own
    // thread (the recording devices): the mixer then prepares its streams
    // inside the render call instead of on a thread of its own.
    virtual bool RendersOnCallerThread() const { return false; }
};

// The device the program plays through (SDL2 unless replaced; the dump device
// when QM_AUDIO_DUMP is set).
Audio& GetAudio();
// Replaces the device (tests install a RecordingAudio); returns the old one.
std::unique_ptr<Audio> SetAudio(std::unique_ptr<Audio> audio);

std::unique_ptr<Audio> CreateSdlAudio();

// Holds the device lock for its lifetime.
class AudioLock {
public:
    explicit AudioLock(Audio& audio) : m_audio(audio) { m_audio.Lock(); }
    ~AudioLock() { m_audio.Unlock(); }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

private:
    Audio& m_audio;
};

// Renders only when told. The mix of every Render is appended to the
// recording (cleared by Clear) as 16-bit samples; 8-bit output is widened.
class RecordingAudio : public Audio {
public:
    bool Open(int frequency, int bits, int channels, AudioRender render) override;
    void Close() override;
    bool IsOpen() const override { return m_open; }
    void Lock() override { m_mutex.lock(); }
    void Unlock() override { m_mutex.unlock(); }
    void Pause(bool paused) override;
    bool RendersOnCallerThread() const override { return true; }

    // Renders frames frames (silence while paused) and returns them (frames x
    // channels samples). Nothing while closed.
    std::vector<int16_t> Render(int frames);
    // Every frame rendered since opening (or Clear), interleaved.
    const std::vector<int16_t>& Recording() const { return m_recording; }
    void Clear() { m_recording.clear(); }
    // Makes every Open fail while set.
    void FailOpen(bool fail) { m_failOpen = fail; }

    int Frequency() const { return m_frequency; }
    int Bits() const { return m_bits; }
    int Channels() const { return m_channels; }
    bool IsPaused() const { return m_paused; }
    int OpenCount() const { return m_openCount; }

private:
    std::recursive_mutex m_mutex;
    AudioRender m_render;
    std::vector<int16_t> m_recording;
    bool m_open = false, m_paused = true, m_failOpen = false;
    int m_frequency = 0, m_bits = 0, m_channels = 0, m_openCount = 0;
};

// The device of QM_AUDIO_DUMP: a recording device whose thread renders as many
// frames as the platform clock says have passed, and which writes the whole
// mix to a WAV file when it is closed.
class DumpAudio : public RecordingAudio {
public:
    explicit DumpAudio(std::string path) : m_path(std::move(path)) {}
    ~DumpAudio() override;
    bool Open(int frequency, int bits, int channels, AudioRender render) override;
    void Close() override;

private:
    // Renders what the clock says is due since start, until stopped.
    void Run(uint32_t start);
    void Stop();

    std::string m_path;
    std::thread m_thread;
    std::mutex m_stateMutex;
    bool m_running = false;
};

// A 16-bit PCM WAV file of the samples, replaced atomically. False on failure.
bool WriteWavFile(const std::string& path, const int16_t* samples, size_t frameCount, int frequency,
                  int channels);

// Installs a device for the lifetime of the guard and puts the old one back.
class ScopedAudio {
public:
    explicit ScopedAudio(std::unique_ptr<Audio> audio) : m_old(SetAudio(std::move(audio))) {}
    ~ScopedAudio() { SetAudio(std::move(m_old)); }
    ScopedAudio(const ScopedAudio&) = delete;
    ScopedAudio& operator=(const ScopedAudio&) = delete;

private:
    std::unique_ptr<Audio> m_old;
};

}  // namespace plat
