#include "platform/media.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/paths.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace plat {

namespace {

// ---- Inputs ----

class FileInput : public MediaInput {
public:
    explicit FileInput(FILE* file) : m_file(file) {
        if (std::fseek(m_file, 0, SEEK_END) == 0) {
            const long size = std::ftell(m_file);
            m_size = size > 0 ? uint64_t(size) : 0;
        }
        std::fseek(m_file, 0, SEEK_SET);
    }
    ~FileInput() override { std::fclose(m_file); }
    int64_t Read(void* buffer, size_t count) override {
        const size_t n = std::fread(buffer, 1, count, m_file);
        if (n == 0 && std::ferror(m_file)) return -1;
        return int64_t(n);
    }
    bool Seek(uint64_t position) override {
        return position <= m_size && std::fseek(m_file, long(position), SEEK_SET) == 0;
    }
    uint64_t Size() override { return m_size; }

private:
    FILE* m_file;
    uint64_t m_size = 0;
};

class MemoryInput : public MediaInput {
public:
    MemoryInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int64_t Read(void* buffer, size_t count) override {
        const size_t n = std::min(count, m_size - m_pos);
        if (n) std::memcpy(buffer, m_data + m_pos, n);
        m_pos += n;
        return int64_t(n);
    }
    bool Seek(uint64_t position) override {
        if (position > m_size) return false;
        m_pos = size_t(position);
        return true;
    }
    uint64_t Size() override { return m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// ---- FFmpeg set-up ----

// The libraries say nothing, and no block they allocate passes kMaxAllocation:
// a few hundred bytes of a hostile file could otherwise make the demuxer ask
// for gigabytes (a chunk's size read from the file) before it finds the file
// short. Our own sounds and movies need blocks of a few megabytes at most.
constexpr size_t kMaxAllocation = size_t(64) << 20;

void QuietLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        av_log_set_level(AV_LOG_QUIET);
        av_max_alloc(kMaxAllocation);
    });
}

constexpr int kIoBufferSize = 32768;

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    const int64_t n = static_cast<MediaInput*>(opaque)->Read(buffer, size_t(size));
    if (n < 0) return AVERROR(EIO);
    if (n == 0) return AVERROR_EOF;
    return int(n);
}

int64_t SeekInput(void* opaque, int64_t offset, int whence) {
    auto* input = static_cast<MediaInput*>(opaque);
    const int64_t size = int64_t(input->Size());
    whence &= ~AVSEEK_FORCE;
    if (whence == AVSEEK_SIZE) return size;
    int64_t target = offset;
    if (whence == SEEK_END)
        target = size + offset;
    else if (whence != SEEK_SET)
        return -1;  // the library tracks the position itself and asks absolutely
    if (target < 0 || target > size || !input->Seek(uint64_t(target))) return -1;
    return target;
}

// The container and codecs of one opened file.
struct Container {
    std::unique_ptr<MediaInput> input;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;

    ~Container() { Close(); }

    bool Open(std::unique_ptr<MediaInput> in, const char* formats, const char* codecs) {
        QuietLibraries();
        if (!in) return false;
        input = std::move(in);
        auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        if (!buffer) return false;
        io = avio_alloc_context(buffer, kIoBufferSize, 0, input.get(), &ReadPacket, nullptr, &SeekInput);
        if (!io) {
            av_free(buffer);
            return false;
        }
        format = avformat_alloc_context();
        if (!format) return false;
        format->pb = io;
        format->flags |= AVFMT_FLAG_CUSTOM_IO;
        format->format_whitelist = av_strdup(formats);
        format->codec_whitelist = av_strdup(codecs);
        format->probesize = 1 << 20;
        format->max_analyze_duration = 5 * AV_TIME_BASE;
        if (avformat_open_input(&format, nullptr, nullptr, nullptr) < 0) {
            format = nullptr;  // freed by the failed open
            return false;
        }
        return avformat_find_stream_info(format, nullptr) >= 0;
    }

    void Close() {
        if (format) avformat_close_input(&format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        input.reset();
    }
};

AVCodecContext* OpenDecoder(const AVStream* stream) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return nullptr;
    AVCodecContext* context = avcodec_alloc_context3(codec);
    if (!context) return nullptr;
    context->thread_count = 1;
    if (avcodec_parameters_to_context(context, stream->codecpar) < 0 ||
        avcodec_open2(context, codec, nullptr) < 0)
        avcodec_free_context(&context);
    return context;
}

struct PacketPtr {
    AVPacket* p = av_packet_alloc();
    ~PacketPtr() { av_packet_free(&p); }
};

struct FramePtr {
    AVFrame* p = av_frame_alloc();
    ~FramePtr() { av_frame_free(&p); }
};

// Turns decoded audio frames of any layout, format and rate into stereo
// 16-bit frames at the mix rate. The resampler is made again whenever the
// input changes (a file may change its rate from one frame to the next).
class AudioConverter {
public:
    ~AudioConverter() { swr_free(&m_swr); }

    bool Convert(const AVFrame* frame, std::vector<int16_t>& out) {
        if (!Prepare(frame)) return false;
        const int planes = av_sample_fmt_is_planar(AVSampleFormat(frame->format)) ? m_channels : 1;
        const uint8_t* in[8] = {};
        for (int i = 0; i < planes; ++i) in[i] = frame->extended_data[i];
        return Run(in, frame->nb_samples, out);
    }
    // The samples the resampler still holds.
    void Flush(std::vector<int16_t>& out) {
        if (m_swr) Run(nullptr, 0, out);
    }
    void Reset() {
        swr_free(&m_swr);
        m_rate = 0;
    }

private:
    bool Prepare(const AVFrame* frame) {
        const int channels = frame->ch_layout.nb_channels;
        if (channels < 1 || channels > 8 || frame->sample_rate < 1000 || frame->sample_rate > 384000)
            return false;
        if (m_swr && frame->sample_rate == m_rate && frame->format == m_format && channels == m_channels)
            return true;
        swr_free(&m_swr);
        AVChannelLayout in{};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, channels);
        else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0)
            return false;
        AVChannelLayout outLayout{};
        av_channel_layout_default(&outLayout, channels == 1 ? 1 : 2);
        const int r = swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_S16, kMixFrequency, &in,
                                          AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&outLayout);
        if (r < 0 || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            return false;
        }
        m_rate = frame->sample_rate;
        m_format = frame->format;
        m_channels = channels;
        m_outChannels = channels == 1 ? 1 : 2;
        return true;
    }

    bool Run(const uint8_t** in, int inCount, std::vector<int16_t>& out) {
        const int room = swr_get_out_samples(m_swr, inCount);
        if (room <= 0) return true;
        m_buffer.resize(size_t(room) * size_t(m_outChannels));
        uint8_t* dest = reinterpret_cast<uint8_t*>(m_buffer.data());
        const int got = swr_convert(m_swr, &dest, room, in, inCount);
        if (got < 0) return false;
        const size_t start = out.size();
        out.resize(start + size_t(got) * 2);
        for (int i = 0; i < got; ++i) {
            const size_t s = size_t(i) * size_t(m_outChannels);
            out[start + size_t(i) * 2] = m_buffer[s];
            out[start + size_t(i) * 2 + 1] = m_buffer[s + size_t(m_outChannels - 1)];
        }
        return true;
    }

    SwrContext* m_swr = nullptr;
    int m_rate = 0, m_format = -1, m_channels = 0, m_outChannels = 2;
    std::vector<int16_t> m_buffer;
};

constexpr const char* kSoundFormats = "wav,mp3";
constexpr const char* kSoundCodecs = "pcm_u8,pcm_s16le,adpcm_ima_wav,mp3float,mp3";

SoundFileKind KindOf(const AVFormatContext* format, const AVStream* stream) {
    const char* name = format->iformat ? format->iformat->name : "";
    const AVCodecID id = stream->codecpar->codec_id;
    if (std::strcmp(name, "wav") == 0) {
        if (id == AV_CODEC_ID_PCM_U8 || id == AV_CODEC_ID_PCM_S16LE) return SoundFileKind::kPcmWav;
        if (id == AV_CODEC_ID_ADPCM_IMA_WAV) return SoundFileKind::kAdpcmWav;
    } else if (std::strcmp(name, "mp3") == 0 && id == AV_CODEC_ID_MP3) {
        return SoundFileKind::kMp3;
    }
    return SoundFileKind::kNone;
}

// One opened sound file with its decoder: the part the whole-file and the
// piecewise decoding share.
struct SoundReader {
    Container container;
    AVCodecContext* decoder = nullptr;
    int stream = -1;
    SoundFileKind kind = SoundFileKind::kNone;
    AudioConverter converter;
    PacketPtr packet;
    FramePtr frame;
    bool inputDone = false, flushSent = false, drained = false;

    ~SoundReader() { avcodec_free_context(&decoder); }

    bool Open(std::unique_ptr<MediaInput> input) {
        if (!container.Open(std::move(input), kSoundFormats, kSoundCodecs)) return false;
        AVFormatContext* f = container.format;
        stream = av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (stream < 0) return false;
        kind = KindOf(f, f->streams[stream]);
        if (kind == SoundFileKind::kNone || !packet.p || !frame.p) return false;
        decoder = OpenDecoder(f->streams[stream]);
        return decoder != nullptr;
    }

    const AVStream* Stream() const { return container.format->streams[stream]; }

    // Decodes the next piece of audio into out (appended). The timestamp of
    // the first frame it produced, in stream time base, goes to firstPts when
    // asked for. False at the end.
    bool DecodeMore(std::vector<int16_t>& out, int64_t* firstPts = nullptr) {
        while (!drained) {
            const int r = avcodec_receive_frame(decoder, frame.p);
            if (r == 0) {
                if (firstPts) *firstPts = frame.p->best_effort_timestamp;
                const bool ok = converter.Convert(frame.p, out);
                av_frame_unref(frame.p);
                if (ok) return true;
                continue;
            }
            if (r == AVERROR_EOF) {
                drained = true;
                const size_t before = out.size();
                converter.Flush(out);
                return out.size() > before;
            }
            if (r != AVERROR(EAGAIN)) {
                // A broken decoder state: end here.
                drained = true;
                return false;
            }
            if (inputDone) {
                if (flushSent) {
                    drained = true;
                    return false;
                }
                flushSent = true;
                avcodec_send_packet(decoder, nullptr);
                continue;
            }
            if (av_read_frame(container.format, packet.p) < 0) {
                inputDone = true;
                continue;
            }
            if (packet.p->stream_index == stream)
                avcodec_send_packet(decoder, packet.p);  // bad packets are skipped
            av_packet_unref(packet.p);
        }
        return false;
    }
};

uint32_t MsOf(int64_t value, AVRational base) {
    if (value == AV_NOPTS_VALUE || value < 0) return 0;
    const int64_t ms = av_rescale_q(value, base, AVRational{1, 1000});
    return ms > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(ms);
}

}  // namespace

bool HasDecoder(const char* name) {
    return name && avcodec_find_decoder_by_name(name) != nullptr;
}

std::unique_ptr<MediaInput> OpenFileInput(std::string_view path) {
    FILE* file = OpenFile(path, "rb");
    if (!file) return nullptr;
    return std::make_unique<FileInput>(file);
}

std::unique_ptr<MediaInput> OpenMemoryInput(const uint8_t* data, size_t size) {
    return std::make_unique<MemoryInput>(data, size);
}

bool DecodeSoundFile(const uint8_t* data, size_t size, DecodedSound& out) {
    out = DecodedSound{};
    if (!data || size == 0) return false;
    return DecodeSoundFile(OpenMemoryInput(data, size), out);
}

bool DecodeSoundFile(std::unique_ptr<MediaInput> input, DecodedSound& out) {
    out = DecodedSound{};
    SoundReader reader;
    if (!input || !reader.Open(std::move(input))) return false;
    out.kind = reader.kind;
    out.sourceFrequency = reader.decoder->sample_rate;
    out.sourceChannels = reader.decoder->ch_layout.nb_channels;
    while (out.samples.size() / 2 < kMaxDecodedFrames && reader.DecodeMore(out.samples)) {
    }
    if (out.samples.size() / 2 > kMaxDecodedFrames) out.samples.resize(kMaxDecodedFrames * 2);
    return true;
}

// ---- AudioStreamDecoder ----

struct AudioStreamDecoder::Impl {
    SoundReader reader;
    uint32_t lengthMs = 0;
    std::vector<int16_t> pending;  // decoded frames not yet read
    size_t pendingAt = 0;
    bool atEnd = false;

    void ScanLength() {
        AVFormatContext* f = reader.container.format;
        const AVStream* s = reader.Stream();
        if (f->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
            if (s->duration != AV_NOPTS_VALUE && s->duration > 0) {
                lengthMs = MsOf(s->duration, s->time_base);
                return;
            }
            if (f->duration != AV_NOPTS_VALUE && f->duration > 0) {
                lengthMs = MsOf(f->duration, AVRational{1, AV_TIME_BASE});
                return;
            }
        }
        // No header gives it: add up the packets, then go back to the start.
        int64_t total = 0;
        PacketPtr packet;
        while (packet.p && av_read_frame(f, packet.p) >= 0) {
            if (packet.p->stream_index == reader.stream && packet.p->duration > 0)
                total += packet.p->duration;
            av_packet_unref(packet.p);
        }
        lengthMs = MsOf(total, s->time_base);
        av_seek_frame(f, reader.stream, 0, AVSEEK_FLAG_BACKWARD);
        reader.inputDone = false;
    }
};

AudioStreamDecoder::AudioStreamDecoder() : m_impl(std::make_unique<Impl>()) {}
AudioStreamDecoder::~AudioStreamDecoder() = default;

bool AudioStreamDecoder::Open(std::unique_ptr<MediaInput> input) {
    m_impl = std::make_unique<Impl>();
    if (!m_impl->reader.Open(std::move(input))) {
        m_impl = std::make_unique<Impl>();
        return false;
    }
    m_impl->ScanLength();
    return true;
}

SoundFileKind AudioStreamDecoder::Kind() const {
    return m_impl->reader.kind;
}

uint32_t AudioStreamDecoder::LengthMs() const {
    return m_impl->lengthMs;
}

bool AudioStreamDecoder::AtEnd() const {
    return m_impl->atEnd;
}

bool AudioStreamDecoder::Seek(uint32_t ms) {
    Impl& m = *m_impl;
    SoundReader& r = m.reader;
    if (!r.decoder) return false;
    const AVStream* s = r.Stream();
    // A little before the target, so that a decoder that needs the frames
    // before has them; the frames before the target are dropped below.
    const int64_t from = ms > 200 ? int64_t(ms) - 200 : 0;
    const int64_t ts = av_rescale_q(from, AVRational{1, 1000}, s->time_base);
    if (av_seek_frame(r.container.format, r.stream, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(r.container.format, r.stream, 0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_BYTE) < 0)
        return false;
    avcodec_flush_buffers(r.decoder);
    r.converter.Reset();
    r.inputDone = r.flushSent = r.drained = false;
    m.pending.clear();
    m.pendingAt = 0;
    m.atEnd = false;
    const int64_t target = int64_t(ms) * kMixFrequency / 1000;
    int64_t position = -1;  // in output frames, of the first frame of pending
    while (true) {
        std::vector<int16_t> piece;
        int64_t pts = AV_NOPTS_VALUE;
        if (!r.DecodeMore(piece, &pts)) {
            m.atEnd = true;
            return true;
        }
        if (position < 0) {
            position =
                pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts, s->time_base, AVRational{1, kMixFrequency});
        }
        const int64_t frames = int64_t(piece.size() / 2);
        if (position + frames <= target) {
            position += frames;
            continue;
        }
        const int64_t skip = std::max<int64_t>(0, target - position);
        m.pending.assign(piece.begin() + skip * 2, piece.end());
        return true;
    }
}

int AudioStreamDecoder::Read(int16_t* out, int frames) {
    Impl& m = *m_impl;
    if (!m.reader.decoder || frames <= 0) return 0;
    int done = 0;
    while (done < frames) {
        const size_t available = (m.pending.size() - m.pendingAt) / 2;
        if (available == 0) {
            m.pending.clear();
            m.pendingAt = 0;
            if (m.atEnd || !m.reader.DecodeMore(m.pending)) {
                m.atEnd = true;
                break;
            }
            continue;
        }
        const size_t n = std::min(available, size_t(frames - done));
        std::memcpy(out + size_t(done) * 2, m.pending.data() + m.pendingAt, n * 2 * sizeof(int16_t));
        m.pendingAt += n * 2;
        done += int(n);
    }
    return done;
}

// ---- MovieSource ----

namespace {

constexpr const char* kMovieFormats = "avi,bink";
// The scaler's rows are padded to this (and its buffer by as much again).
constexpr int kScaleAlign = 64;
// The most sound (samples) one NextFrame collects on its way to a frame: ten seconds.
constexpr size_t kMaxAudioPerFrame = size_t(kMixFrequency) * 2 * 10;
constexpr const char* kMovieCodecs =
    "binkvideo,binkaudio_rdft,binkaudio_dct,mpeg4,msmpeg4v1,msmpeg4v2,msmpeg4,cinepak,indeo2,indeo3,indeo4,"
    "indeo5,mjpeg,h264,wmv1,wmv2,wmv3,mp3float,mp3,pcm_u8,pcm_s16le,adpcm_ima_wav,adpcm_ms";

AVPixelFormat AvFormatOf(raster::PixelFormat format) {
    switch (format) {
        case raster::PixelFormat::kRgb555:
            return AV_PIX_FMT_RGB555LE;
        case raster::PixelFormat::kBgr565:
            return AV_PIX_FMT_BGR565LE;
        default:
            return AV_PIX_FMT_RGB565LE;
    }
}

}  // namespace

struct MovieSource::Impl {
    Container container;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoStream = -1, audioStream = -1;
    SwsContext* scaler = nullptr;
    uint8_t* scaled = nullptr;  // the scaler's output rows (av_malloc)
    size_t scaledSize = 0;
    AudioConverter converter;
    PacketPtr packet;
    FramePtr frame;
    raster::PixelFormat format = raster::PixelFormat::kRgb565;
    int outWidth = 0, outHeight = 0;
    bool inputDone = false, flushSent = false, videoDrained = false;
    int64_t framesOut = 0;

    ~Impl() {
        av_free(scaled);
        sws_freeContext(scaler);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
    }

    const AVStream* Video() const { return container.format->streams[videoStream]; }

    void DecodeAudio(const AVPacket* p, std::vector<int16_t>& out) {
        if (avcodec_send_packet(audio, p) < 0) return;
        while (avcodec_receive_frame(audio, frame.p) == 0) {
            converter.Convert(frame.p, out);
            av_frame_unref(frame.p);
        }
    }

    bool ConvertFrame(raster::Surface& out, int64_t& timeMs) {
        const AVFrame* f = frame.p;
        if (f->width <= 0 || f->height <= 0 || f->width > kMaxMovieSide || f->height > kMaxMovieSide)
            return false;
        scaler = sws_getCachedContext(scaler, f->width, f->height, AVPixelFormat(f->format), outWidth,
                                      outHeight, AvFormatOf(format), SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (!scaler) return false;
        // The scaler writes whole blocks of pixels, past the end of a row and
        // of the last one (up to 16 bytes), so it writes into padded rows of
        // our own that are then copied into the frame.
        const int pitch = (outWidth * 2 + kScaleAlign - 1) / kScaleAlign * kScaleAlign;
        const size_t need = size_t(pitch) * size_t(outHeight) + kScaleAlign;
        if (need > scaledSize) {
            av_free(scaled);
            scaled = static_cast<uint8_t*>(av_malloc(need));
            scaledSize = scaled ? need : 0;
            if (!scaled) return false;
        }
        uint8_t* dest[4] = {scaled, nullptr, nullptr, nullptr};
        const int pitches[4] = {pitch, 0, 0, 0};
        if (sws_scale(scaler, f->data, f->linesize, 0, f->height, dest, pitches) <= 0) return false;
        if (out.Width() != outWidth || out.Height() != outHeight || out.Format() != format)
            out.Reset(outWidth, outHeight, format);
        for (int y = 0; y < outHeight; ++y)
            std::memcpy(out.Bits() + size_t(y) * size_t(out.Pitch()), scaled + size_t(y) * size_t(pitch),
                        size_t(outWidth) * 2);
        const AVStream* s = Video();
        const int64_t pts = f->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) {
            timeMs = av_rescale_q(pts, s->time_base, AVRational{1, 1000});
        } else {
            const AVRational rate = s->avg_frame_rate.num > 0 ? s->avg_frame_rate : AVRational{25, 1};
            timeMs = av_rescale_q(framesOut, av_inv_q(rate), AVRational{1, 1000});
        }
        ++framesOut;
        return true;
    }
};

MovieSource::MovieSource() : m_impl(std::make_unique<Impl>()) {}
MovieSource::~MovieSource() = default;

bool MovieSource::Open(std::unique_ptr<MediaInput> input, raster::PixelFormat format) {
    m_impl = std::make_unique<Impl>();
    Impl& m = *m_impl;
    m.format = format;
    bool ok = m.packet.p && m.frame.p && m.container.Open(std::move(input), kMovieFormats, kMovieCodecs);
    AVFormatContext* f = m.container.format;
    if (ok) {
        m.videoStream = av_find_best_stream(f, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        ok = m.videoStream >= 0;
    }
    if (ok) {
        const AVCodecParameters* p = f->streams[m.videoStream]->codecpar;
        ok = p->width > 0 && p->height > 0 && p->width <= kMaxMovieSide && p->height <= kMaxMovieSide;
    }
    if (ok) {
        m.video = OpenDecoder(f->streams[m.videoStream]);
        ok = m.video != nullptr;
    }
    if (!ok) {
        m_impl = std::make_unique<Impl>();
        return false;
    }
    m.outWidth = m.video->width;
    m.outHeight = m.video->height;
    m.audioStream = av_find_best_stream(f, AVMEDIA_TYPE_AUDIO, -1, m.videoStream, nullptr, 0);
    if (m.audioStream >= 0) {
        m.audio = OpenDecoder(f->streams[m.audioStream]);
        if (!m.audio) m.audioStream = -1;  // plays silent
    }
    return true;
}

int MovieSource::Width() const {
    return m_impl->video ? m_impl->video->width : 0;
}

int MovieSource::Height() const {
    return m_impl->video ? m_impl->video->height : 0;
}

double MovieSource::FrameRate() const {
    if (!m_impl->video) return 0.0;
    const AVRational r = m_impl->Video()->avg_frame_rate;
    return r.num > 0 && r.den > 0 ? av_q2d(r) : 0.0;
}

int64_t MovieSource::FrameCount() const {
    if (!m_impl->video) return 0;
    const AVStream* s = m_impl->Video();
    if (s->nb_frames > 0) return s->nb_frames;
    const double rate = FrameRate();
    if (s->duration > 0 && rate > 0) return int64_t(double(s->duration) * av_q2d(s->time_base) * rate + 0.5);
    return 0;
}

bool MovieSource::HasAudio() const {
    return m_impl->audio != nullptr;
}

void MovieSource::SetOutputSize(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxMovieSide || height > kMaxMovieSide) return;
    m_impl->outWidth = width;
    m_impl->outHeight = height;
}

bool MovieSource::NextFrame(raster::Surface& frame, int64_t& timeMs, std::vector<int16_t>& audio) {
    Impl& m = *m_impl;
    if (!m.video) return false;
    while (!m.videoDrained) {
        const int r = avcodec_receive_frame(m.video, m.frame.p);
        if (r == 0) {
            const bool ok = m.ConvertFrame(frame, timeMs);
            av_frame_unref(m.frame.p);
            if (ok) return true;
            continue;
        }
        if (r != AVERROR(EAGAIN)) {
            m.videoDrained = true;
            break;
        }
        if (m.inputDone) {
            if (m.flushSent) {
                m.videoDrained = true;
                break;
            }
            m.flushSent = true;
            avcodec_send_packet(m.video, nullptr);
            continue;
        }
        if (av_read_frame(m.container.format, m.packet.p) < 0) {
            m.inputDone = true;
            if (m.audio) m.DecodeAudio(nullptr, audio);
            continue;
        }
        if (m.packet.p->stream_index == m.videoStream)
            avcodec_send_packet(m.video, m.packet.p);  // bad packets are skipped
        else if (m.audio && m.packet.p->stream_index == m.audioStream && audio.size() < kMaxAudioPerFrame)
            m.DecodeAudio(m.packet.p, audio);  // a file of sound and hardly a frame is not read whole
        av_packet_unref(m.packet.p);
    }
    m.converter.Flush(audio);
    return false;
}

}  // namespace plat
