// printf-style formatting of texts that come from data files. The format is
// untrusted: only the conversions that match the arguments given are applied
// (%d %i %u %x %X %o %c with whole numbers, %f %F %e %E %g %G with
// floating-point numbers, %s with texts; a mismatch prints the argument as the
// other kind), anything else (%n, '*', missing arguments) is
// copied literally, and widths and precisions are capped.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

struct TextArg {
    enum Kind { kSigned, kUnsigned, kFloat, kText } kind;
    int64_t value = 0;
    double real = 0;
    const char* text = nullptr;

    TextArg(int v) : kind(kSigned), value(v) {}
    TextArg(long v) : kind(kSigned), value(v) {}
    TextArg(long long v) : kind(kSigned), value(v) {}
    TextArg(unsigned v) : kind(kUnsigned), value(int64_t(v)) {}
    TextArg(unsigned long v) : kind(kUnsigned), value(int64_t(v)) {}
    TextArg(unsigned long long v) : kind(kUnsigned), value(int64_t(v)) {}
    TextArg(double v) : kind(kFloat), real(v) {}
    TextArg(const char* t) : kind(kText), text(t ? t : "") {}
    TextArg(const std::string& t) : kind(kText), text(t.c_str()) {}
};

std::string FormatTableText(const char* format, std::initializer_list<TextArg> args);
