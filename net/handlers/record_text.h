// Texts inside the handlers' records: a field is cleared, then given at most
// its size - 1 bytes of the text, cut between characters.
#pragma once
#include <cstddef>
#include <cstring>
#include <string>

#include "core/message.h"

template <size_t N>
void SetRecordText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    CopyRecordText(field, text);
}

// A field filled by someone else, made a proper text of its field: ends at
// its first 0, or is cut between characters to N - 1 bytes.
template <size_t N>
void KeepRecordText(char (&field)[N]) {
    const std::string text(field, strnlen(field, N));
    SetRecordText(field, text.c_str());
}
