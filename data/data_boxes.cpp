#include "data/data_boxes.h"

#include <cstdio>

namespace databox {

void Error(const std::string& text) {
    std::fprintf(stderr, "Z5MessageBox: %s\n", text.c_str());
}

bool RetryCancel(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return false;
}

void Ok(const std::string& text, const std::string& caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace databox
