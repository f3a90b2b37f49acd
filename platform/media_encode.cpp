#include "platform/media_encode.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/paths.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace plat {

namespace {

// A growing byte buffer the muxer writes into and may seek back in (to fill
// in sizes and headers at the end).
struct MemoryOutput {
    std::vector<uint8_t> bytes;
    size_t position = 0;

    static int Write(void* opaque, uint8_t* data, int size) {
        auto* self = static_cast<MemoryOutput*>(opaque);
        const size_t end = self->position + size_t(size);
        if (end > self->bytes.size()) self->bytes.resize(end);
        std::memcpy(self->bytes.data() + self->position, data, size_t(size));
        self->position = end;
        return size;
    }
    static int64_t Seek(void* opaque, int64_t offset, int whence) {
        auto* self = static_cast<MemoryOutput*>(opaque);
        whence &= ~AVSEEK_FORCE;
        if (whence == AVSEEK_SIZE) return int64_t(self->bytes.size());
        int64_t target = offset;
        if (whence == SEEK_CUR) target += int64_t(self->position);
        if (whence == SEEK_END) target += int64_t(self->bytes.size());
        if (target < 0) return -1;
        self->position = size_t(target);
        return target;
    }
};

struct Fail {
    std::string* error;
    bool operator()(const char* why) const {
        if (error) *error = why;
        return false;
    }
};

// One encoding stream of the output file.
struct EncodedStream {
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    int64_t nextPts = 0;
    ~EncodedStream() { avcodec_free_context(&codec); }
};

// A muxer writing into memory; the file is written whole at the end.
class Muxer {
public:
    ~Muxer() {
        if (m_format) avformat_free_context(m_format);
        if (m_io) {
            av_freep(&m_io->buffer);
            avio_context_free(&m_io);
        }
    }

    bool Begin(const char* formatName) {
        av_log_set_level(AV_LOG_QUIET);
        if (avformat_alloc_output_context2(&m_format, nullptr, formatName, nullptr) < 0) return false;
        auto* buffer = static_cast<uint8_t*>(av_malloc(32768));
        if (!buffer) return false;
        m_io = avio_alloc_context(buffer, 32768, 1, &m_output, nullptr, &MemoryOutput::Write,
                                  &MemoryOutput::Seek);
        if (!m_io) {
            av_free(buffer);
            return false;
        }
        m_format->pb = m_io;
        m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
        return true;
    }

    bool AddStream(EncodedStream& s, const AVCodec* encoder) {
        s.stream = avformat_new_stream(m_format, nullptr);
        s.codec = avcodec_alloc_context3(encoder);
        if (!s.stream || !s.codec) return false;
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        return true;
    }

    bool Open(EncodedStream& s, AVDictionary** options = nullptr) {
        if (avcodec_open2(s.codec, s.codec->codec, options) < 0) return false;
        if (avcodec_parameters_from_context(s.stream->codecpar, s.codec) < 0) return false;
        s.stream->time_base = s.codec->time_base;
        return true;
    }

    bool WriteHeader(AVDictionary** options = nullptr) {
        return avformat_write_header(m_format, options) >= 0;
    }

    // Sends a frame (null: the end) and writes the packets that come out.
    bool Encode(EncodedStream& s, AVFrame* frame) {
        if (avcodec_send_frame(s.codec, frame) < 0) return false;
        AVPacket* packet = av_packet_alloc();
        if (!packet) return false;
        bool ok = true;
        while (ok) {
            const int r = avcodec_receive_packet(s.codec, packet);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
            if (r < 0) {
                ok = false;
                break;
            }
            av_packet_rescale_ts(packet, s.codec->time_base, s.stream->time_base);
            packet->stream_index = s.stream->index;
            ok = av_interleaved_write_frame(m_format, packet) >= 0;
        }
        av_packet_free(&packet);
        return ok;
    }

    bool Finish(const std::string& path) {
        if (av_write_trailer(m_format) < 0) return false;
        avio_flush(m_io);
        return WriteFileAtomic(path, m_output.bytes.data(), m_output.bytes.size());
    }

private:
    AVFormatContext* m_format = nullptr;
    AVIOContext* m_io = nullptr;
    MemoryOutput m_output;
};

// Feeds interleaved 16-bit samples to an audio encoder in frames of its size,
// converted to its sample format.
bool EncodeAudio(Muxer& muxer, EncodedStream& s, const std::vector<int16_t>& samples, int channels) {
    AVCodecContext* c = s.codec;
    SwrContext* swr = nullptr;
    AVChannelLayout in{};
    av_channel_layout_default(&in, channels);
    if (swr_alloc_set_opts2(&swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &in, AV_SAMPLE_FMT_S16,
                            c->sample_rate, 0, nullptr) < 0 ||
        swr_init(swr) < 0) {
        swr_free(&swr);
        return false;
    }
    const int frameSize = c->frame_size > 0 ? c->frame_size : 1024;
    const size_t total = samples.size() / size_t(channels);
    AVFrame* frame = av_frame_alloc();
    bool ok = frame != nullptr;
    for (size_t at = 0; ok && at < total; at += size_t(frameSize)) {
        const int n = int(std::min(size_t(frameSize), total - at));
        // Encoders of a fixed frame size take only whole frames but the last;
        // ADPCM takes whole blocks only, so its last one is padded with silence.
        const int count = (c->codec_id == AV_CODEC_ID_ADPCM_IMA_WAV) ? frameSize : n;
        std::vector<int16_t> chunk(size_t(count) * size_t(channels), 0);
        std::memcpy(chunk.data(), samples.data() + at * size_t(channels), size_t(n) * size_t(channels) * 2);
        av_frame_unref(frame);
        frame->nb_samples = count;
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        ok = av_channel_layout_copy(&frame->ch_layout, &c->ch_layout) >= 0 &&
             av_frame_get_buffer(frame, 0) >= 0;
        if (!ok) break;
        const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(chunk.data())};
        ok = swr_convert(swr, frame->extended_data, count, src, count) >= 0;
        frame->pts = s.nextPts;
        s.nextPts += count;
        ok = ok && muxer.Encode(s, frame);
    }
    av_frame_free(&frame);
    swr_free(&swr);
    av_channel_layout_uninit(&in);
    return ok;
}

}  // namespace

std::vector<int16_t> SineTone(double frequency, int ms, int sampleRate, int channels, double amplitude) {
    const size_t frames = size_t(std::max(0, ms)) * size_t(std::max(0, sampleRate)) / 1000;
    std::vector<int16_t> out(frames * size_t(std::max(1, channels)));
    const double scale = std::clamp(amplitude, 0.0, 1.0) * 32767.0;
    for (size_t i = 0; i < frames; ++i) {
        const double v =
            frequency > 0 ? std::sin(2.0 * std::numbers::pi * frequency * double(i) / sampleRate) : 0.0;
        for (int c = 0; c < channels; ++c)
            out[i * size_t(channels) + size_t(c)] = int16_t(std::lround(v * scale));
    }
    return out;
}

std::vector<uint8_t> SolidFrame(int width, int height, uint32_t colour) {
    std::vector<uint8_t> frame(size_t(std::max(0, width)) * size_t(std::max(0, height)) * 3);
    for (size_t i = 0; i < frame.size(); i += 3) {
        frame[i] = uint8_t(colour >> 16);
        frame[i + 1] = uint8_t(colour >> 8);
        frame[i + 2] = uint8_t(colour);
    }
    return frame;
}

bool EncodeSoundFile(const std::string& path, SoundEncoding encoding, const std::vector<int16_t>& samples,
                     int frequency, int channels, std::string* error) {
    const Fail fail{error};
    if (channels < 1 || channels > 2) return fail("channels must be 1 or 2");
    if (frequency < 1000 || frequency > 192000) return fail("frequency outside 1000-192000");
    const char* container = "wav";
    const char* codecName = "pcm_s16le";
    switch (encoding) {
        case SoundEncoding::kPcm8Wav:
            codecName = "pcm_u8";
            break;
        case SoundEncoding::kPcm16Wav:
            break;
        case SoundEncoding::kAdpcmWav:
            codecName = "adpcm_ima_wav";
            break;
        case SoundEncoding::kMp3:
        case SoundEncoding::kMp3Plain:
            container = "mp3";
            codecName = "libmp3lame";
            break;
        case SoundEncoding::kOggVorbis:
            container = "ogg";
            codecName = "libvorbis";
            break;
    }
    const AVCodec* encoder = avcodec_find_encoder_by_name(codecName);
    if (!encoder) return fail("encoder not available");
    Muxer muxer;
    EncodedStream s;
    if (!muxer.Begin(container) || !muxer.AddStream(s, encoder)) return fail("cannot start the file");
    AVCodecContext* c = s.codec;
    c->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->sample_rate = frequency;
    c->time_base = AVRational{1, frequency};
    av_channel_layout_default(&c->ch_layout, channels);
    if (encoding == SoundEncoding::kMp3 || encoding == SoundEncoding::kMp3Plain) c->bit_rate = 128000;
    if (encoding == SoundEncoding::kOggVorbis) {
        c->flags |= AV_CODEC_FLAG_QSCALE;
        c->global_quality = 3 * FF_QP2LAMBDA;
    }
    if (!muxer.Open(s)) return fail("the encoder refused the format");
    AVDictionary* options = nullptr;
    if (encoding == SoundEncoding::kMp3Plain) av_dict_set(&options, "write_xing", "0", 0);
    const bool header = muxer.WriteHeader(&options);
    av_dict_free(&options);
    if (!header) return fail("cannot write the header");
    if (!EncodeAudio(muxer, s, samples, channels) || !muxer.Encode(s, nullptr))
        return fail("encoding failed");
    if (!muxer.Finish(path)) return fail("cannot write the file");
    return true;
}

bool EncodeMovieFile(const std::string& path, const MoviePlan& plan, std::string* error) {
    const Fail fail{error};
    if (plan.width < 2 || plan.height < 2 || plan.width % 2 || plan.height % 2)
        return fail("the size must be even and at least 2 x 2");
    if (plan.frameRate < 1 || plan.frameRate > 120) return fail("frame rate outside 1-120");
    if (plan.frames.empty()) return fail("no frames");
    const size_t frameBytes = size_t(plan.width) * size_t(plan.height) * 3;
    for (const auto& f : plan.frames)
        if (f.size() != frameBytes) return fail("a frame has the wrong size");
    const bool withAudio = !plan.audio.empty();
    if (withAudio && (plan.audioChannels < 1 || plan.audioChannels > 2))
        return fail("channels must be 1 or 2");

    const AVCodec* videoEncoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    const AVCodec* audioEncoder = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    if (!videoEncoder || !audioEncoder) return fail("encoder not available");
    Muxer muxer;
    EncodedStream video, audio;
    if (!muxer.Begin("avi") || !muxer.AddStream(video, videoEncoder)) return fail("cannot start the file");
    AVCodecContext* v = video.codec;
    v->width = plan.width;
    v->height = plan.height;
    v->pix_fmt = AV_PIX_FMT_YUV420P;
    v->time_base = AVRational{1, plan.frameRate};
    v->framerate = AVRational{plan.frameRate, 1};
    v->gop_size = 5;
    v->flags |= AV_CODEC_FLAG_QSCALE;
    v->global_quality = 2 * FF_QP2LAMBDA;
    if (!muxer.Open(video)) return fail("the video encoder refused the format");
    if (withAudio) {
        if (!muxer.AddStream(audio, audioEncoder)) return fail("cannot add the sound");
        AVCodecContext* a = audio.codec;
        a->sample_fmt = AV_SAMPLE_FMT_S16;
        a->sample_rate = plan.audioFrequency;
        a->time_base = AVRational{1, plan.audioFrequency};
        av_channel_layout_default(&a->ch_layout, plan.audioChannels);
        if (!muxer.Open(audio)) return fail("the sound encoder refused the format");
    }
    if (!muxer.WriteHeader()) return fail("cannot write the header");

    SwsContext* scaler = sws_getContext(plan.width, plan.height, AV_PIX_FMT_RGB24, plan.width, plan.height,
                                        AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    AVFrame* frame = av_frame_alloc();
    bool ok = scaler && frame;
    // Sound goes in pieces of one video frame's length, before that frame.
    const size_t audioPerFrame = size_t(plan.audioFrequency / plan.frameRate);
    size_t audioAt = 0;
    const size_t audioFrames = withAudio ? plan.audio.size() / size_t(plan.audioChannels) : 0;
    for (size_t i = 0; ok && i < plan.frames.size(); ++i) {
        if (withAudio && audioAt < audioFrames) {
            const size_t n = (i + 1 == plan.frames.size()) ? audioFrames - audioAt
                                                           : std::min(audioPerFrame, audioFrames - audioAt);
            std::vector<int16_t> piece(
                plan.audio.begin() + ptrdiff_t(audioAt * size_t(plan.audioChannels)),
                plan.audio.begin() + ptrdiff_t((audioAt + n) * size_t(plan.audioChannels)));
            ok = EncodeAudio(muxer, audio, piece, plan.audioChannels);
            audioAt += n;
        }
        av_frame_unref(frame);
        frame->format = AV_PIX_FMT_YUV420P;
        frame->width = plan.width;
        frame->height = plan.height;
        ok = ok && av_frame_get_buffer(frame, 0) >= 0;
        if (!ok) break;
        const uint8_t* src[1] = {plan.frames[i].data()};
        const int srcPitch[1] = {plan.width * 3};
        sws_scale(scaler, src, srcPitch, 0, plan.height, frame->data, frame->linesize);
        frame->pts = video.nextPts++;
        ok = muxer.Encode(video, frame);
    }
    av_frame_free(&frame);
    sws_freeContext(scaler);
    if (!ok || !muxer.Encode(video, nullptr) || (withAudio && !muxer.Encode(audio, nullptr)))
        return fail("encoding failed");
    if (!muxer.Finish(path)) return fail("cannot write the file");
    return true;
}

}  // namespace plat
