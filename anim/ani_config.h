// The settings the animations read: folders, the screen size and the option
// bytes that change how they draw; and the error box they report through.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum AniFolderKind { ANI_FOLDER_ANIMATION, ANI_FOLDER_SFCD_OBJ, ANI_FOLDER_SFCD_ANI, ANI_FOLDER_SFCD_MAT };

// Option bytes of the user options block.
enum : size_t {
    ANI_OPT_CIRCLE_SHADOW = 32,  // characters cast the shared circle shadow
    ANI_OPT_HIDE_HIDEABLE = 37,  // hideable objects are not drawn
};

const std::string& AniFolder(AniFolderKind kind);
void SetAniFolder(AniFolderKind kind, std::string folder);
int32_t AniScreenWidth();
int32_t AniScreenHeight();
void SetAniScreenSize(int32_t width, int32_t height);
uint8_t AniOptionByte(size_t offset);
void SetAniOptionByte(size_t offset, uint8_t value);

void AniReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Reports shown so far and the last text (for tests).
int AniErrorCount();
const std::string& AniLastError();
