// Feeds arbitrary bytes to the layout file reader as a whole file: the input's
// own tokens name the windows and keys looked up (so that lookups hit), float
// and text reads go through a window, and the same tokens are written back as
// entries and read again.
#include "ui/window_layout.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/base_window.h"

namespace {

std::vector<std::string> Tokens(const std::string& text, size_t limit) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size() && out.size() < limit) {
        while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i]) ++i;
        const size_t start = i;
        while (i < text.size() && !(text[i] && std::strchr(" \t\n\v\f\r", text[i]))) ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void Probe(CLayoutReader& reader, const std::vector<std::string>& tokens) {
    CBaseWindow window;
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        window.SetName(tokens[i].c_str());
        const float value = window.ReadLayoutFloat(tokens[i + 1].c_str(), &reader, -7.0f);
        Check(value == -7.0f || (std::isfinite(value) && std::fabs(value) <= LAYOUT_FLOAT_LIMIT));
        char text[LAYOUT_TOKEN_SIZE];
        window.ReadLayoutString(tokens[i + 1].c_str(), text, sizeof text, &reader);
        Check(std::strlen(text) < LAYOUT_TOKEN_SIZE);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> tokens = Tokens(text, 48);

    CLayoutReader reader;
    reader.OpenBytes(text);
    Probe(reader, tokens);

    CLayoutWriter writer;
    for (size_t i = 0; i + 2 < tokens.size(); i += 3) {
        const bool written = writer.WriteLine(tokens[i], tokens[i + 1], tokens[i + 2]);
        Check(written ==
              (IsLayoutToken(tokens[i]) && IsLayoutToken(tokens[i + 1]) && IsLayoutToken(tokens[i + 2])));
        ParseLayoutFloat(tokens[i + 2], 0.0f);
    }
    CLayoutReader back;
    back.OpenBytes(writer.Text());
    Probe(back, tokens);
    return 0;
}
