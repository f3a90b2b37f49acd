#include "anim/ani_config.h"

#include <cstdarg>
#include <cstdio>
#include <map>

namespace {
struct Settings {
    std::string folders[4] = {".\\ANI", ".", ".", "."};
    int32_t width = 800, height = 600;
    std::map<size_t, uint8_t> options;
    int errors = 0;
    std::string lastError;
};
Settings& S() {
    static Settings s;
    return s;
}
}  // namespace

const std::string& AniFolder(AniFolderKind kind) {
    return S().folders[kind];
}
void SetAniFolder(AniFolderKind kind, std::string folder) {
    S().folders[kind] = std::move(folder);
}
int32_t AniScreenWidth() {
    return S().width;
}
int32_t AniScreenHeight() {
    return S().height;
}
void SetAniScreenSize(int32_t width, int32_t height) {
    S().width = width;
    S().height = height;
}
uint8_t AniOptionByte(size_t offset) {
    auto it = S().options.find(offset);
    return it == S().options.end() ? 0 : it->second;
}
void SetAniOptionByte(size_t offset, uint8_t value) {
    S().options[offset] = value;
}

void AniReportError(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ++S().errors;
    S().lastError = text;
    fprintf(stderr, "%s\n", text);
}
int AniErrorCount() {
    return S().errors;
}
const std::string& AniLastError() {
    return S().lastError;
}
