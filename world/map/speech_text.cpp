#include "world/map/speech_text.h"

#include "core/byte_source.h"
#include "core/util.h"
#include "world/map/speech_data.h"
#include "world/map/text_lines.h"

namespace maptext {

bool BuildSpeechText(std::string_view text, std::vector<uint8_t>& out, std::string* error) {
    std::vector<Line> lines;
    if (!SplitLines(text, lines, error)) return false;
    uint8_t scrambled = 0;
    CByteWriter texts;
    uint32_t count = 0;
    for (const Line& line : lines) {
        WordCursor c(line);
        int64_t v = 0;
        if (c.Accept("scrambled")) {
            if (!c.Number(0, 255, v, error, "the flag")) return false;
            scrambled = uint8_t(v);
        } else if (c.Accept("text")) {
            if (!c.Number(0, 65535, v, error, "the speech id")) return false;
            const Word* t = c.Next();
            if (!t || !t->quoted) {
                if (error) *error = LineError(line, "the text is quoted");
                return false;
            }
            std::string bytes = t->text;
            if (scrambled) XorBytes(bytes.data(), bytes.size(), 0x80);
            texts.U16(uint16_t(v));
            texts.U32(uint32_t(bytes.size()));
            texts.Bytes(bytes.data(), bytes.size());
            ++count;
        } else {
            if (error) *error = LineError(line, "expected scrambled or text");
            return false;
        }
        if (!c.AtEnd()) {
            if (error) *error = LineError(line, "more words than the line takes");
            return false;
        }
    }
    CByteWriter w;
    w.U8(scrambled);
    w.U32(count);
    out = w.Take();
    out.insert(out.end(), texts.Data().begin(), texts.Data().end());
    return true;
}

std::string DumpSpeech(const CSpeechData& speech) {
    std::string out = "scrambled " + std::to_string(speech.IsScrambled() ? 1 : 0) + "\n";
    for (int32_t i = 0; i < speech.GetTextCount(); ++i) {
        const char* text = speech.GetTextAt(i);
        out += "text " + std::to_string(speech.GetId(i)) + " " + Quote(text ? text : "") + "\n";
    }
    return out;
}

}  // namespace maptext
