#include "data/pack_path.h"

#include <cstring>

#include "core/util.h"

void UpperCaseAscii(char* text) {
    if (text) StrToUpper(text);
}

void UpperCaseAscii(std::string& text) {
    StrToUpper(text.data());
}

std::string_view LastComponent(std::string_view name) {
    size_t i = name.size();
    while (i > 0 && !IsPathSeparator(name[i - 1])) --i;
    return name.substr(i);
}

bool StripDirectory(const char* source, char* destination, size_t capacity) {
    if (!destination || capacity == 0) return false;
    std::string_view last = LastComponent(source ? source : "");
    size_t n = last.size() < capacity ? last.size() : capacity - 1;
    std::memcpy(destination, last.data(), n);
    destination[n] = '\0';
    return n == last.size();
}

int SplitFirstComponent(char* path, char* component, size_t capacity) {
    size_t len = std::strlen(path);
    size_t sep = 0;
    while (sep < len && !IsPathSeparator(path[sep])) ++sep;
    if (capacity > 0) {
        size_t n = sep < capacity ? sep : capacity - 1;
        std::memcpy(component, path, n);
        component[n] = '\0';
    }
    if (sep == len) return 1;
    std::memmove(path, path + sep + 1, len - sep);  // includes the terminator
    return 0;
}
