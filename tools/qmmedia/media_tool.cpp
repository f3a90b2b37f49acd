#include "tools/qmmedia/media_tool.h"

#include <cmath>
#include <memory>
#include <sstream>

#include "platform/media.h"
#include "platform/media_encode.h"
#include "platform/paths.h"
#include "sound/movie_reader.h"
#include "tools/tool_batch.h"

namespace {

// The descriptions are lines of "keyword values..."; '#' starts a comment.
struct Line {
    int number;
    std::string keyword;
    std::vector<std::string> values;
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        Line l{number, {}, {}};
        if (!(words >> l.keyword)) continue;
        for (std::string w; words >> w;) l.values.push_back(w);
        lines.push_back(std::move(l));
    }
    return lines;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

bool ToNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && std::isfinite(value);
}

bool ToInt(const std::string& text, long long low, long long high, long long& value) {
    double v = 0;
    if (!ToNumber(text, v) || v != std::floor(v) || v < double(low) || v > double(high)) return false;
    value = static_cast<long long>(v);
    return true;
}

std::string Where(const Line& l) {
    return "line " + std::to_string(l.number) + ": ";
}

// ---- Tones ----

struct ToneFile {
    plat::SoundEncoding encoding = plat::SoundEncoding::kPcm16Wav;
    int frequency = 22050, channels = 1;
    double amplitude = 0.5;
    std::vector<int16_t> samples;  // interleaved
};

bool ParseEncoding(const std::string& name, plat::SoundEncoding& encoding) {
    static const std::pair<const char*, plat::SoundEncoding> kNames[] = {
        {"pcm8", plat::SoundEncoding::kPcm8Wav},       {"pcm16", plat::SoundEncoding::kPcm16Wav},
        {"adpcm", plat::SoundEncoding::kAdpcmWav},     {"mp3", plat::SoundEncoding::kMp3},
        {"mp3-plain", plat::SoundEncoding::kMp3Plain}, {"ogg", plat::SoundEncoding::kOggVorbis}};
    for (const auto& [n, e] : kNames)
        if (name == n) {
            encoding = e;
            return true;
        }
    return false;
}

bool ParseToneFile(const std::string& text, ToneFile& file, std::string* error) {
    for (const Line& l : SplitLines(text)) {
        long long n = 0;
        double v = 0;
        if (l.keyword == "format" && l.values.size() == 1) {
            if (!ParseEncoding(l.values[0], file.encoding))
                return Fail(error, Where(l) + "format is pcm8, pcm16, adpcm, mp3, mp3-plain or ogg");
        } else if (l.keyword == "rate" && l.values.size() == 1 && ToInt(l.values[0], 8000, 48000, n)) {
            file.frequency = int(n);
        } else if (l.keyword == "channels" && l.values.size() == 1 && ToInt(l.values[0], 1, 2, n)) {
            file.channels = int(n);
        } else if (l.keyword == "amplitude" && l.values.size() == 1 && ToNumber(l.values[0], v) && v >= 0 &&
                   v <= 1) {
            file.amplitude = v;
        } else if ((l.keyword == "tone" && l.values.size() == 2 && ToNumber(l.values[0], v) && v > 0 &&
                    v < file.frequency / 2.0 && ToInt(l.values[1], 1, 600000, n)) ||
                   (l.keyword == "silence" && l.values.size() == 1 && ToInt(l.values[0], 1, 600000, n))) {
            const double hz = l.keyword == "tone" ? v : 0.0;
            const std::vector<int16_t> piece =
                plat::SineTone(hz, int(n), file.frequency, file.channels, file.amplitude);
            file.samples.insert(file.samples.end(), piece.begin(), piece.end());
        } else {
            return Fail(error,
                        Where(l) + "expected format, rate, channels, amplitude, tone HZ MS or silence MS");
        }
    }
    if (file.samples.empty()) return Fail(error, "no tone or silence");
    return true;
}

// ---- Movies ----

bool ParseMovieFile(const std::string& text, plat::MoviePlan& plan, std::string* error) {
    std::vector<uint32_t> colours;
    double tone = 0;
    for (const Line& l : SplitLines(text)) {
        long long n = 0, m = 0;
        if (l.keyword == "size" && l.values.size() == 2 && ToInt(l.values[0], 2, 1920, n) &&
            ToInt(l.values[1], 2, 1080, m)) {
            plan.width = int(n);
            plan.height = int(m);
        } else if (l.keyword == "rate" && l.values.size() == 1 && ToInt(l.values[0], 1, 60, n)) {
            plan.frameRate = int(n);
        } else if (l.keyword == "tone" && l.values.size() == 1 && ToNumber(l.values[0], tone) && tone >= 0 &&
                   tone < 20000) {
        } else if (l.keyword == "frame" && (l.values.size() == 1 || l.values.size() == 2)) {
            char* end = nullptr;
            const unsigned long colour = std::strtoul(l.values[0].c_str(), &end, 16);
            long long count = 1;
            if (l.values[0].size() != 6 || *end ||
                (l.values.size() == 2 && !ToInt(l.values[1], 1, 10000, count)))
                return Fail(error, Where(l) + "frame RRGGBB [COUNT]");
            colours.insert(colours.end(), size_t(count), uint32_t(colour));
        } else {
            return Fail(error, Where(l) + "expected size W H, rate FPS, tone HZ or frame RRGGBB [COUNT]");
        }
    }
    if (colours.empty()) return Fail(error, "no frames");
    if (plan.width % 2 || plan.height % 2 || plan.width == 0) return Fail(error, "size must be given, even");
    for (uint32_t colour : colours) plan.frames.push_back(plat::SolidFrame(plan.width, plan.height, colour));
    if (tone > 0) {
        plan.audio = plat::SineTone(tone, int(colours.size()) * 1000 / plan.frameRate, 44100, 1, 0.4);
        plan.audioFrequency = 44100;
        plan.audioChannels = 1;
    }
    return true;
}

// ---- Commands ----

bool ReadText(const std::string& path, std::string& text, FILE* err) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "qmmedia: cannot read %s\n", path.c_str());
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

int Usage(FILE* err) {
    std::fprintf(err,
                 "usage: qmmedia tone OUT PLAN [OUT PLAN...]\n"
                 "       qmmedia list build TEXT OUT [TEXT OUT...]\n"
                 "       qmmedia list dump FILE\n"
                 "       qmmedia movie OUT PLAN [--key TEXT]\n"
                 "       qmmedia info FILE [--key TEXT]\n"
                 "       qmmedia batch FILE                  (its commands, one a line)\n");
    return 2;
}

const char* KindName(plat::SoundFileKind kind) {
    switch (kind) {
        case plat::SoundFileKind::kPcmWav:
            return "PCM WAV";
        case plat::SoundFileKind::kAdpcmWav:
            return "IMA ADPCM WAV";
        case plat::SoundFileKind::kMp3:
            return "MPEG layer 3";
        default:
            return "none";
    }
}

int Tone(const std::string& outPath, const std::string& planPath, FILE* err) {
    std::string text, error;
    if (!ReadText(planPath, text, err)) return 1;
    ToneFile file;
    if (!ParseToneFile(text, file, &error)) {
        std::fprintf(err, "qmmedia: %s: %s\n", planPath.c_str(), error.c_str());
        return 1;
    }
    if (!plat::EncodeSoundFile(outPath, file.encoding, file.samples, file.frequency, file.channels, &error)) {
        std::fprintf(err, "qmmedia: %s: %s\n", outPath.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

int BuildList(const std::string& textPath, const std::string& outPath, FILE* err) {
    std::string text, error;
    if (!ReadText(textPath, text, err)) return 1;
    std::vector<MusicTrack> tracks;
    std::vector<uint8_t> bytes;
    if (!ParseMusicListText(text, tracks, &error) || !WriteMusicList(tracks, bytes, &error)) {
        std::fprintf(err, "qmmedia: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    if (!plat::WriteFileAtomic(outPath, bytes.data(), bytes.size())) {
        std::fprintf(err, "qmmedia: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int Movie(const std::string& outPath, const std::string& planPath, const std::string* key, FILE* err) {
    std::string text, error;
    if (!ReadText(planPath, text, err)) return 1;
    plat::MoviePlan plan;
    if (!ParseMovieFile(text, plan, &error)) {
        std::fprintf(err, "qmmedia: %s: %s\n", planPath.c_str(), error.c_str());
        return 1;
    }
    if (!plat::EncodeMovieFile(outPath, plan, &error)) {
        std::fprintf(err, "qmmedia: %s: %s\n", outPath.c_str(), error.c_str());
        return 1;
    }
    if (!key) return 0;
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(outPath, bytes)) return 1;
    CMovieReader::CryptAt(bytes, MovieKey(key->c_str()));
    if (!plat::WriteFileAtomic(outPath, bytes.data(), bytes.size())) {
        std::fprintf(err, "qmmedia: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

int Info(const std::string& path, const std::string* key, FILE* out, FILE* err) {
    std::vector<uint8_t> bytes;
    if (!plat::ReadWholeFile(path, bytes)) {
        std::fprintf(err, "qmmedia: cannot read %s\n", path.c_str());
        return 1;
    }
    plat::DecodedSound sound;
    if (!key && plat::DecodeSoundFile(bytes.data(), bytes.size(), sound)) {
        int peak = 0;
        for (int16_t s : sound.samples) peak = std::max(peak, std::abs(int(s)));
        std::fprintf(
            out, "sound %s\nsource %d Hz, %d channel%s\nlength %zu ms (%zu frames at 44100 Hz)\npeak %d\n",
            KindName(sound.kind), sound.sourceFrequency, sound.sourceChannels,
            sound.sourceChannels == 1 ? "" : "s", sound.FrameCount() * 1000 / 44100, sound.FrameCount(),
            peak);
        plat::AudioStreamDecoder stream;
        if (stream.Open(plat::OpenMemoryInput(bytes.data(), bytes.size())))
            std::fprintf(out, "stream length %u ms\n", stream.LengthMs());
        return 0;
    }
    const std::vector<uint8_t> movieKey = key ? MovieKey(key->c_str()) : std::vector<uint8_t>{};
    plat::MovieSource movie;
    if (movie.Open(
            std::make_unique<CMovieReader>(plat::OpenMemoryInput(bytes.data(), bytes.size()), movieKey),
            plat::raster::PixelFormat::kRgb565)) {
        int frames = 0;
        size_t audio = 0;
        plat::raster::Surface frame;
        int64_t time = 0;
        std::vector<int16_t> movieSound;
        while (movie.NextFrame(frame, time, movieSound)) ++frames;
        audio = movieSound.size() / 2;
        std::fprintf(out, "movie %d x %d at %.3g frames a second\nframes %d (%lld said)\nsound %s, %zu ms\n",
                     movie.Width(), movie.Height(), movie.FrameRate(), frames,
                     static_cast<long long>(movie.FrameCount()), movie.HasAudio() ? "yes" : "none",
                     audio * 1000 / 44100);
        return 0;
    }
    std::fprintf(err, "qmmedia: %s: refused: no sound or movie the client takes%s\n", path.c_str(),
                 key ? " (or a wrong key)" : "");
    return 1;
}

}  // namespace

std::string MusicListToText(const std::vector<MusicTrack>& tracks) {
    std::ostringstream out;
    for (const MusicTrack& t : tracks) {
        out << "track " << t.m_streamId << " start " << t.m_start << " end " << t.m_end << " mode "
            << int(t.m_mode);
        if (t.m_mode != MUSIC_MODE_ONCE) out << " value " << int(t.m_modeValue);
        out << "\n";
    }
    return out.str();
}

bool ParseMusicListText(const std::string& text, std::vector<MusicTrack>& tracks, std::string* error) {
    tracks.clear();
    for (const Line& l : SplitLines(text)) {
        if (l.keyword != "track" || l.values.empty())
            return Fail(error, Where(l) + "expected 'track STREAM'");
        MusicTrack t;
        long long stream = 0;
        if (!ToInt(l.values[0], 0, 0xFFFF, stream))
            return Fail(error, Where(l) + "stream id outside 0-65535");
        t.m_streamId = uint32_t(stream);
        bool hasValue = false;
        for (size_t i = 1; i < l.values.size(); i += 2) {
            long long v = 0;
            const std::string& field = l.values[i];
            if (i + 1 >= l.values.size() || !ToInt(l.values[i + 1], 0, 655350, v))
                return Fail(error, Where(l) + "'" + field + "' needs a number");
            if (field == "start" || field == "end") {
                if (v % 10) return Fail(error, Where(l) + "times are multiples of 10 ms");
                (field == "start" ? t.m_start : t.m_end) = uint32_t(v);
            } else if ((field == "mode" || field == "value") && v <= 255) {
                (field == "mode" ? t.m_mode : t.m_modeValue) = uint8_t(v);
                hasValue |= field == "value";
            } else {
                return Fail(error, Where(l) + "unknown field or value '" + field + "'");
            }
        }
        if (t.m_mode == MUSIC_MODE_ONCE && hasValue) return Fail(error, Where(l) + "mode 0 has no value");
        tracks.push_back(t);
    }
    if (tracks.empty()) return Fail(error, "no tracks");
    if (tracks.size() > size_t(MAX_MUSIC_TRACKS)) return Fail(error, "more than 100 tracks");
    return true;
}

int RunMediaTool(const std::vector<std::string>& args, FILE* out, FILE* err) {
    if (!args.empty() && args[0] == "batch") return toolbatch::Run("qmmedia", args, RunMediaTool, out, err);
    // A trailing "--key TEXT" goes with movie and info.
    std::vector<std::string> words = args;
    std::string key;
    bool hasKey = false;
    if (words.size() >= 2 && words[words.size() - 2] == "--key") {
        key = words.back();
        hasKey = true;
        words.resize(words.size() - 2);
    }
    const std::string* keyText = hasKey ? &key : nullptr;
    // Several files in one go: tone OUT PLAN [OUT PLAN ...].
    if (words.size() >= 3 && words.size() % 2 == 1 && words[0] == "tone" && !hasKey) {
        for (size_t i = 1; i < words.size(); i += 2)
            if (const int status = Tone(words[i], words[i + 1], err); status != 0) return status;
        return 0;
    }
    if (words.size() == 3 && words[0] == "movie") return Movie(words[1], words[2], keyText, err);
    if (words.size() == 2 && words[0] == "info") return Info(words[1], keyText, out, err);
    if (words.size() >= 4 && words.size() % 2 == 0 && words[0] == "list" && words[1] == "build" && !hasKey) {
        for (size_t i = 2; i < words.size(); i += 2)
            if (const int status = BuildList(words[i], words[i + 1], err); status != 0) return status;
        return 0;
    }
    if (words.size() == 3 && words[0] == "list" && words[1] == "dump" && !hasKey) {
        std::vector<uint8_t> bytes;
        if (!plat::ReadWholeFile(words[2], bytes)) {
            std::fprintf(err, "qmmedia: cannot read %s\n", words[2].c_str());
            return 1;
        }
        std::vector<MusicTrack> tracks;
        if (!ParseMusicList(bytes.data(), bytes.size(), tracks)) {
            std::fprintf(err, "qmmedia: %s: not a music list the client reads (no whole track)\n",
                         words[2].c_str());
            return 1;
        }
        const std::string text = MusicListToText(tracks);
        std::fwrite(text.data(), 1, text.size(), out);
        // What the client leaves unread.
        if (bytes.size() >= 2 && size_t(bytes[1]) != tracks.size())
            std::fprintf(err, "qmmedia: %s: the header says %d tracks, %zu read\n", words[2].c_str(),
                         bytes[1], tracks.size());
        return 0;
    }
    return Usage(err);
}
