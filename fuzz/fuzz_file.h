// Helpers shared by the fuzz targets that need their input as a file.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/message_box.h"

namespace fuzz {

// A file of this process that holds the current input (in memory-backed /dev/shm when there is one).
inline const std::string& InputPath(const char* name) {
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/qm_fuzz_" + name + "_" + std::to_string(getpid());
    return path;
}

inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Answers every box with its default answer and shows nothing.
class SilentBoxes : public plat::IMessageBoxService {
public:
    int Show(std::string_view, std::string_view, unsigned type) override { return plat::DefaultAnswer(type); }
};

inline void InstallSilentBoxes() {
    static SilentBoxes boxes;
    plat::SetMessageBoxService(&boxes);
}

}  // namespace fuzz
