#include "platform/audio.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/console.h"
#include "platform/paths.h"

namespace plat {

namespace {

bool ValidFormat(int frequency, int bits, int channels) {
    return frequency > 0 && frequency <= 192000 && (bits == 8 || bits == 16) && channels >= 1 &&
           channels <= 8;
}

// While it lives, what the audio libraries write to standard error goes
// nowhere: on a machine without a sound card they print a dozen lines of
// their own on every attempt. The program says it in one line instead.
class QuietStandardError {
public:
    QuietStandardError() {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (m_saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStandardError() {
        std::fflush(stderr);
        if (m_saved < 0) return;
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int m_saved = -1;
};

std::atomic<bool> g_silenceReported{false};

// The program runs without sound: said once a run, with SDL's reason.
void ReportNoSound(const char* reason) {
    if (g_silenceReported.exchange(true)) return;
    std::string line = "no sound device could be opened; running without sound";
    if (reason && *reason) line += std::string(" (") + reason + ")";
    WriteConsoleLine(line);
}

class SdlAudio : public Audio {
public:
    ~SdlAudio() override { SdlAudio::Close(); }

    bool Open(int frequency, int bits, int channels, AudioRender render) override {
        if (m_device || !ValidFormat(frequency, bits, channels) || !render) return false;
        m_render = std::move(render);
        m_frameBytes = bits / 8 * channels;
        std::string failure;
        {
            QuietStandardError quiet;
            failure = OpenDevice(frequency, bits, channels);
        }
        if (failure.empty()) return true;
        m_render = nullptr;
        ReportNoSound(failure.c_str());
        return false;
    }

    void Close() override {
        if (m_device) SDL_CloseAudioDevice(m_device);
        m_device = 0;
        m_render = nullptr;
        QuitSubsystem();
    }

    bool IsOpen() const override { return m_device != 0; }
    void Lock() override {
        if (m_device) SDL_LockAudioDevice(m_device);
    }
    void Unlock() override {
        if (m_device) SDL_UnlockAudioDevice(m_device);
    }
    void Pause(bool paused) override {
        if (m_device) SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
    }

private:
    // Opens SDL's audio and the default device; SDL's reason when it fails.
    std::string OpenDevice(int frequency, int bits, int channels) {
        if (!m_audioInit) {
            if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return SDL_GetError();
            m_audioInit = true;
        }
        SDL_AudioSpec want{}, have{};
        want.freq = frequency;
        want.format = bits == 8 ? AUDIO_U8 : AUDIO_S16SYS;
        want.channels = uint8_t(channels);
        want.samples = 1024;
        want.callback = &SdlAudio::Callback;
        want.userdata = this;
        m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (m_device) return {};
        const std::string reason = SDL_GetError();
        QuitSubsystem();
        return reason.empty() ? "no device" : reason;
    }

    static void Callback(void* user, Uint8* stream, int length) {
        auto* self = static_cast<SdlAudio*>(user);
        if (self->m_render && self->m_frameBytes > 0)
            self->m_render(stream, length / self->m_frameBytes);
        else
            std::memset(stream, 0, size_t(length));
    }

    void QuitSubsystem() {
        if (m_audioInit) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_audioInit = false;
    }

    SDL_AudioDeviceID m_device = 0;
    AudioRender m_render;
    int m_frameBytes = 0;
    bool m_audioInit = false;
};

std::unique_ptr<Audio>& AudioSlot() {
    static std::unique_ptr<Audio> audio;
    return audio;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

}  // namespace

std::unique_ptr<Audio> CreateSdlAudio() {
    return std::make_unique<SdlAudio>();
}

Audio& GetAudio() {
    auto& slot = AudioSlot();
    if (!slot) {
        const char* dump = std::getenv("QM_AUDIO_DUMP");
        if (dump && *dump)
            slot = std::make_unique<DumpAudio>(dump);
        else
            slot = CreateSdlAudio();
    }
    return *slot;
}

std::unique_ptr<Audio> SetAudio(std::unique_ptr<Audio> audio) {
    std::unique_ptr<Audio> old = std::move(AudioSlot());
    AudioSlot() = std::move(audio);
    return old;
}

// ---- RecordingAudio ----

bool RecordingAudio::Open(int frequency, int bits, int channels, AudioRender render) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (m_failOpen || m_open || !ValidFormat(frequency, bits, channels) || !render) return false;
    m_render = std::move(render);
    m_frequency = frequency;
    m_bits = bits;
    m_channels = channels;
    m_open = true;
    m_paused = true;
    ++m_openCount;
    return true;
}

void RecordingAudio::Close() {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_open = false;
    m_render = nullptr;
}

void RecordingAudio::Pause(bool paused) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_paused = paused;
}

std::vector<int16_t> RecordingAudio::Render(int frames) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    std::vector<int16_t> out;
    if (!m_open || frames <= 0) return out;
    const size_t samples = size_t(frames) * size_t(m_channels);
    out.assign(samples, 0);
    if (!m_paused && m_render) {
        if (m_bits == 16) {
            m_render(out.data(), frames);
        } else {
            std::vector<uint8_t> bytes(samples, 128);
            m_render(bytes.data(), frames);
            for (size_t i = 0; i < samples; ++i) out[i] = int16_t((int(bytes[i]) - 128) * 256);
        }
    }
    m_recording.insert(m_recording.end(), out.begin(), out.end());
    return out;
}

// ---- DumpAudio ----

DumpAudio::~DumpAudio() {
    DumpAudio::Close();
}

bool DumpAudio::Open(int frequency, int bits, int channels, AudioRender render) {
    if (!RecordingAudio::Open(frequency, bits, channels, std::move(render))) return false;
    std::lock_guard<std::mutex> state(m_stateMutex);
    m_running = true;
    const uint32_t start = Clock().Milliseconds();
    m_thread = std::thread([this, start] { Run(start); });
    return true;
}

void DumpAudio::Run(uint32_t start) {
    uint64_t rendered = 0;
    for (;;) {
        {
            std::lock_guard<std::mutex> state(m_stateMutex);
            if (!m_running) return;
        }
        const uint64_t due = uint64_t(Clock().Milliseconds() - start) * uint64_t(Frequency()) / 1000;
        while (rendered < due) {
            const int chunk = int(std::min<uint64_t>(due - rendered, 4096));
            Render(chunk);
            rendered += uint64_t(chunk);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void DumpAudio::Stop() {
    {
        std::lock_guard<std::mutex> state(m_stateMutex);
        m_running = false;
    }
    if (m_thread.joinable()) m_thread.join();
}

void DumpAudio::Close() {
    if (!IsOpen()) return;
    Stop();
    const std::vector<int16_t>& mix = Recording();
    const int channels = Channels();
    WriteWavFile(m_path, mix.data(), channels > 0 ? mix.size() / size_t(channels) : 0, Frequency(), channels);
    RecordingAudio::Close();
}

bool WriteWavFile(const std::string& path, const int16_t* samples, size_t frameCount, int frequency,
                  int channels) {
    if (channels <= 0 || frequency <= 0) return false;
    const uint64_t dataBytes = uint64_t(frameCount) * uint64_t(channels) * 2;
    if (dataBytes > 0xFFFFFFFFull - 36) return false;
    std::vector<uint8_t> out(44 + size_t(dataBytes));
    std::memcpy(out.data(), "RIFF", 4);
    Put32(out, 4, uint32_t(36 + dataBytes));
    std::memcpy(out.data() + 8, "WAVEfmt ", 8);
    Put32(out, 16, 16);
    Put16(out, 20, 1);
    Put16(out, 22, uint32_t(channels));
    Put32(out, 24, uint32_t(frequency));
    Put32(out, 28, uint32_t(frequency * channels * 2));
    Put16(out, 32, uint32_t(channels * 2));
    Put16(out, 34, 16);
    std::memcpy(out.data() + 36, "data", 4);
    Put32(out, 40, uint32_t(dataBytes));
    for (size_t i = 0; i < size_t(frameCount) * size_t(channels); ++i)
        Put16(out, 44 + i * 2, uint16_t(samples[i]));
    return WriteFileAtomic(path, out.data(), out.size());
}

}  // namespace plat
