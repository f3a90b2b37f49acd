#include "data/text_format.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kMaxWidth = 512;

// One floating-point conversion; widths and precisions are capped, so the
// largest value with the largest precision still fits.
std::string FormatReal(const char* directive, double value) {
    char buf[kMaxWidth * 2 + 400];
    std::snprintf(buf, sizeof buf, directive, value);
    return buf;
}

double RealOf(const TextArg& a) {
    if (a.kind == TextArg::kFloat) return a.real;
    if (a.kind == TextArg::kUnsigned) return double(uint64_t(a.value));
    if (a.kind == TextArg::kSigned) return double(a.value);
    return 0;
}

int64_t WholePart(double real) {
    if (!(real > -9.2e18 && real < 9.2e18)) return 0;  // NaN and values beyond 64 bits
    return static_cast<int64_t>(real);
}

}  // namespace

std::string FormatTableText(const char* format, std::initializer_list<TextArg> args) {
    std::string out;
    if (!format) return out;
    const TextArg* next = args.begin();
    const char* p = format;
    while (*p) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            ++p;
            continue;
        }
        std::string flags;
        while (*p && std::strchr("-+ #0", *p)) flags += *p++;
        int width = -1, precision = -1;
        bool bad = false;
        if (*p >= '0' && *p <= '9') {
            width = 0;
            while (*p >= '0' && *p <= '9') {
                width = width * 10 + (*p++ - '0');
                if (width > kMaxWidth) bad = true, width = kMaxWidth;
            }
        }
        if (*p == '.') {
            ++p;
            precision = 0;
            while (*p >= '0' && *p <= '9') {
                precision = precision * 10 + (*p++ - '0');
                if (precision > kMaxWidth) bad = true, precision = kMaxWidth;
            }
        }
        while (*p && std::strchr("hlLqjzt", *p)) ++p;  // length modifiers: the argument decides
        char conv = *p;
        bool isInt = conv && std::strchr("diouxXc", conv);
        bool isFloat = conv && std::strchr("fFeEgG", conv);
        bool isText = conv == 's';
        if (bad || (!isInt && !isFloat && !isText) || next == args.end()) {
            // Not something we format: copy the text of the conversion as it stands.
            if (conv) ++p;
            out.append(start, size_t(p - start));
            continue;
        }
        ++p;
        const TextArg& a = *next++;
        std::string directive = "%" + flags;
        if (width >= 0) directive += std::to_string(width);
        if (precision >= 0) {
            directive += '.';
            directive += std::to_string(precision);
        }
        char buf[kMaxWidth * 2 + 64];
        if (isText || a.kind == TextArg::kText) {
            std::string text = a.kind == TextArg::kText     ? a.text
                               : a.kind == TextArg::kSigned ? std::to_string(a.value)
                               : a.kind == TextArg::kFloat  ? FormatReal("%g", a.real)
                                                            : std::to_string(uint64_t(a.value));
            // The text itself may be long: format only the padding/precision part.
            if (width < 0 && precision < 0) {
                out += text;
            } else {
                if (precision >= 0 && text.size() > size_t(precision)) text.resize(size_t(precision));
                size_t pad = width > 0 && text.size() < size_t(width) ? size_t(width) - text.size() : 0;
                if (flags.find('-') != std::string::npos)
                    out += text, out.append(pad, ' ');
                else
                    out.append(pad, ' '), out += text;
            }
            continue;
        }
        if (isFloat) {
            directive += conv;
            out += FormatReal(directive.c_str(), RealOf(a));
            continue;
        }
        // A whole-number conversion of a floating-point value prints its whole part.
        const int64_t value = a.kind == TextArg::kFloat ? WholePart(a.real) : a.value;
        if (conv == 'c') {
            directive += 'c';
            std::snprintf(buf, sizeof buf, directive.c_str(), int(value));
        } else if (conv == 'd' || conv == 'i') {
            directive += "lld";
            std::snprintf(buf, sizeof buf, directive.c_str(), static_cast<long long>(value));
        } else {
            directive += "ll";
            directive += conv;
            std::snprintf(buf, sizeof buf, directive.c_str(), static_cast<unsigned long long>(value));
        }
        out += buf;
    }
    return out;
}
