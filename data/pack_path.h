// Path operations of the pack lookup: ASCII case folding, the last component
// of a stored name, and splitting a path one component at a time. A separator
// is either '/' or '\'.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Folds 'a'-'z' to 'A'-'Z' in place; every other byte is left alone.
void UpperCaseAscii(char* text);
void UpperCaseAscii(std::string& text);

// Copies the part of source after its last separator (all of it when it has
// none) into destination, cut to capacity - 1 bytes and terminated. Returns
// false when it had to be cut or capacity is 0.
bool StripDirectory(const char* source, char* destination, size_t capacity);
std::string_view LastComponent(std::string_view name);

// Copies path up to its first separator into component and moves the rest of
// the path (after the separator) to its front; returns 0. When path has no
// separator, all of it becomes the component and the result is 1 (the last
// component). A component longer than capacity - 1 is cut.
int SplitFirstComponent(char* path, char* component, size_t capacity);

inline bool IsPathSeparator(char c) {
    return c == '/' || c == '\\';
}
