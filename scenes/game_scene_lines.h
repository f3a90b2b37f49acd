// The game screen's two text lines at the top right: the client version with
// the server text the log-in windows keep in the options block, and the clock
// (month, day, hour and minute, each followed by its unit text), with the
// frame-rate line before it while that is switched on.
#pragma once
#include <cstdint>
#include <string>

struct COptions;

inline constexpr int32_t GAME_LINES_RIGHT_OFFSET = 300;  // x = screen width - 300
inline constexpr int32_t GAME_VERSION_LINE_Y = 0;
inline constexpr int32_t GAME_CLOCK_LINE_Y = 16;

// "Client v%1.2f %s" with version / 100 and the text at options offset 5893,
// read within the block and cut at 255 bytes.
std::string FormatVersionLine(uint16_t version, const COptions& options);
// "[%d%s%d%s%d%s%d%s]" with the units of text table 0, rows 1-4; prefixed
// with the frame-rate line when it is given.
std::string FormatClockLine(int month, int day, int hour, int minute, const char* frameRateLine);
// "FPS : %.1f", followed by " FrameSkip" when frame skipping is on.
std::string FormatFrameRateLine(float framesPerSecond, bool frameSkip);
