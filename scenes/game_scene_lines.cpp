#include "scenes/game_scene_lines.h"

#include <cstdio>
#include <cstring>

#include "core/config.h"
#include "data/text_tables.h"

namespace {
constexpr size_t kServerTextSize = 256;
constexpr int kUnitTable = 0;
}  // namespace

std::string FormatVersionLine(uint16_t version, const COptions& options) {
    char text[kServerTextSize] = {};
    for (size_t i = 0; i + 1 < kServerTextSize; ++i) {
        const uint8_t byte = options.GetByte(OPT_TEXT_1 + i);
        if (!byte) break;
        text[i] = char(byte);
    }
    char line[kServerTextSize + 32];
    std::snprintf(line, sizeof line, "Client v%1.2f %s", version * 0.01, text);
    return line;
}

std::string FormatClockLine(int month, int day, int hour, int minute, const char* frameRateLine) {
    char line[512];
    std::snprintf(line, sizeof line, "%s[%d%s%d%s%d%s%d%s]", frameRateLine ? frameRateLine : "", month,
                  GetTableText(kUnitTable, 1), day, GetTableText(kUnitTable, 2), hour,
                  GetTableText(kUnitTable, 3), minute, GetTableText(kUnitTable, 4));
    return line;
}

std::string FormatFrameRateLine(float framesPerSecond, bool frameSkip) {
    char line[64];
    std::snprintf(line, sizeof line, "FPS : %.1f%s", double(framesPerSecond), frameSkip ? " FrameSkip" : "");
    return line;
}
