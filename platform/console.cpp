#include "platform/console.h"

#include <cstdio>
#include <string>

namespace plat {

void WriteConsoleLine(std::string_view text) {
    const std::string line = "quillmarrow: " + std::string(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace plat
