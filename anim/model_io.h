// One description of each 3D model file layout serves four ways: reading the
// binary file, writing it, and reading and writing its readable text form
// (the tools and the tests build files from text). A layout is a function
// template Transfer(io, record) that names every field in file order; the io
// object decides what a field call does.
//
// Field calls (name is the field's word in the text form; null inside lists):
//   U8/U16/U32/I32/F32(name, value)      one little-endian number
//   Color(name, value)                   a u32 the text form shows in hexadecimal
//   Text(name, string, size)             a zero-terminated string in size bytes
//   Raw(name, bytes, size)               size bytes kept as they are
//   Count32/Count16/CountI32(name, n, bytesEach)
//                                        an element count; the binary reader
//                                        refuses a count whose elements (each at
//                                        least bytesEach) cannot fit in the data
//   Fits(name, n, bytesEach)             checks a count that was read as a plain
//                                        number the way Count32 does
//   List(name, n, fn, perLine)           n elements, fn(i) moves element i; the
//                                        text form puts perLine elements on a
//                                        line (0: all on one)
//   Record(name, fn)                     a nested record: "name ... end"
//
// The binary reader stops at the first fault (short data, impossible count)
// and keeps its message; every later call does nothing. The text reader takes
// the fields in layout order and leaves a field whose name is not next at its
// default, so a description only names what it needs; '#' starts a comment.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_source.h"
#include "graphics/math3d.h"

class CModelIo {
public:
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }
    void Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    std::string m_error;
};

// Little-endian reading of bytes in memory.
class CModelReader : public CModelIo {
public:
    static constexpr bool kReading = true;
    static constexpr bool kBinary = true;
    CModelReader(const uint8_t* data, size_t size) : m_src(data, size) {}

    size_t Position() const { return m_src.Position(); }
    size_t Remaining() const { return size_t(m_src.Remaining()); }

    void U8(const char* name, uint8_t& v);
    void U16(const char* name, uint16_t& v);
    void U32(const char* name, uint32_t& v);
    void I32(const char* name, int32_t& v);
    void F32(const char* name, float& v);
    void Color(const char* name, uint32_t& v) { U32(name, v); }
    void Text(const char* name, std::string& s, size_t size);
    void Raw(const char* name, std::vector<uint8_t>& bytes, size_t size);
    void Count32(const char* name, uint32_t& n, size_t bytesEach);
    void Count16(const char* name, uint16_t& n, size_t bytesEach);
    void CountI32(const char* name, int32_t& n, size_t bytesEach);
    bool Fits(const char* name, uint64_t n, size_t bytesEach) { return CheckCount(name, n, bytesEach); }
    template <class Fn>
    void List(const char*, size_t n, Fn&& fn, size_t = 0) {
        for (size_t i = 0; i < n && !Failed(); ++i) fn(i);
    }
    template <class Fn>
    void Record(const char*, Fn&& fn) {
        if (!Failed()) fn();
    }

private:
    // False (and the short-data fault) when fewer than n bytes are left.
    bool HasBytes(size_t n, const char* name);
    bool Take(void* out, size_t n, const char* name);
    bool CheckCount(const char* name, uint64_t n, size_t bytesEach);

    CMemorySource m_src;
};

// Little-endian writing.
class CModelWriter : public CModelIo {
public:
    static constexpr bool kReading = false;
    static constexpr bool kBinary = true;

    void U8(const char*, uint8_t& v) { m_out.U8(v); }
    void U16(const char*, uint16_t& v) { m_out.U16(v); }
    void U32(const char*, uint32_t& v) { m_out.U32(v); }
    void I32(const char*, int32_t& v) { m_out.I32(v); }
    void F32(const char*, float& v) { m_out.F32(v); }
    void Color(const char* name, uint32_t& v) { U32(name, v); }
    bool Fits(const char*, uint64_t, size_t) { return true; }
    void Text(const char* name, std::string& s, size_t size);
    void Raw(const char* name, std::vector<uint8_t>& bytes, size_t size);
    void Count32(const char* name, uint32_t& n, size_t) { U32(name, n); }
    void Count16(const char* name, uint16_t& n, size_t) { U16(name, n); }
    void CountI32(const char* name, int32_t& n, size_t) { I32(name, n); }
    template <class Fn>
    void List(const char*, size_t n, Fn&& fn, size_t = 0) {
        for (size_t i = 0; i < n; ++i) fn(i);
    }
    template <class Fn>
    void Record(const char*, Fn&& fn) {
        fn();
    }

    std::vector<uint8_t>& Bytes() { return m_out.Data(); }

private:
    CByteWriter m_out;
};

// The readable form, written.
class CModelTextWriter : public CModelIo {
public:
    static constexpr bool kReading = false;
    static constexpr bool kBinary = false;

    void U8(const char* name, uint8_t& v) { Number(name, std::to_string(v)); }
    void U16(const char* name, uint16_t& v) { Number(name, std::to_string(v)); }
    void U32(const char* name, uint32_t& v) { Number(name, std::to_string(v)); }
    void I32(const char* name, int32_t& v) { Number(name, std::to_string(v)); }
    void F32(const char* name, float& v);
    void Color(const char* name, uint32_t& v);
    void Text(const char* name, std::string& s, size_t size);
    void Raw(const char* name, std::vector<uint8_t>& bytes, size_t size);
    void Count32(const char* name, uint32_t& n, size_t) { U32(name, n); }
    void Count16(const char* name, uint16_t& n, size_t) { U16(name, n); }
    void CountI32(const char* name, int32_t& n, size_t) { I32(name, n); }
    bool Fits(const char*, uint64_t, size_t) { return true; }
    template <class Fn>
    void List(const char* name, size_t n, Fn&& fn, size_t perLine = 0) {
        if (!name) {  // a list inside a list element: its values only
            for (size_t i = 0; i < n; ++i) fn(i);
            return;
        }
        if (n == 0) return;
        Line();
        m_text += name;
        for (size_t i = 0; i < n; ++i) {
            if (perLine && i % perLine == 0 && n > perLine) {
                Line();
                m_text += "   ";
            }
            fn(i);
        }
    }
    template <class Fn>
    void Record(const char* name, Fn&& fn) {
        Line();
        m_text += name;
        ++m_depth;
        fn();
        --m_depth;
        Line();
        m_text += "end";
    }

    std::string Take() {
        m_text += '\n';
        return std::move(m_text);
    }

private:
    void Line();
    void Number(const char* name, const std::string& value);
    std::string m_text;
    int m_depth = 0;
};

// The readable form, read.
class CModelTextReader : public CModelIo {
public:
    static constexpr bool kReading = true;
    static constexpr bool kBinary = false;
    explicit CModelTextReader(std::string_view text);

    void U8(const char* name, uint8_t& v);
    void U16(const char* name, uint16_t& v);
    void U32(const char* name, uint32_t& v);
    void I32(const char* name, int32_t& v);
    void F32(const char* name, float& v);
    void Color(const char* name, uint32_t& v) { U32(name, v); }
    void Text(const char* name, std::string& s, size_t size);
    void Raw(const char* name, std::vector<uint8_t>& bytes, size_t size);
    void Count32(const char* name, uint32_t& n, size_t) { CountValue(name, n); }
    void Count16(const char* name, uint16_t& n, size_t);
    void CountI32(const char* name, int32_t& n, size_t);
    bool Fits(const char* name, uint64_t n, size_t bytesEach);
    template <class Fn>
    void List(const char* name, size_t n, Fn&& fn, size_t = 0) {
        if (!Named(name)) return;
        for (size_t i = 0; i < n && !Failed(); ++i) fn(i);
    }
    template <class Fn>
    void Record(const char* name, Fn&& fn) {
        if (!Expect(name)) return;
        fn();
        Expect("end");
    }

    // Fails unless every token was taken.
    void Finish();

private:
    struct Token {
        std::string text;
        int line;
        bool quoted;
    };
    // Consumes the next token when it is the field's name (always true for an unnamed field).
    bool Named(const char* name);
    bool Expect(const char* word);
    const Token* Value(const char* name);
    bool Unsigned(const char* name, uint64_t max, uint64_t& out);
    void CountValue(const char* name, uint32_t& n);

    std::vector<Token> m_tokens;
    size_t m_next = 0;
};

// Helpers shared by the layouts.
template <class IO>
void TransferVec3(IO& io, const char* name, Vec3& v) {
    io.List(name, 3, [&](size_t i) { io.F32(nullptr, i == 0 ? v.x : i == 1 ? v.y : v.z); });
}
template <class IO>
void TransferVec4(IO& io, const char* name, Vec4& v) {
    io.List(name, 4, [&](size_t i) { io.F32(nullptr, i == 0 ? v.x : i == 1 ? v.y : i == 2 ? v.z : v.w); });
}
template <class IO>
void TransferMatrix(IO& io, const char* name, Matrix& m) {
    io.List(
        name, 16, [&](size_t i) { io.F32(nullptr, m.m[i / 4][i % 4]); }, 4);
}
// Fails when a nested layout goes deeper than a file may.
constexpr int kMaxModelDepth = 64;
template <class IO>
bool DepthAllowed(IO& io, int depth, const char* what) {
    if (depth <= kMaxModelDepth) return true;
    io.Fail("%s nested more than %d deep", what, kMaxModelDepth);
    return false;
}

// Each model file kind names its layout with a Transfer overload; these run one.
template <class File>
bool ReadModelBinary(const uint8_t* data, size_t size, File& file, std::string* error) {
    CModelReader io(data, size);
    Transfer(io, file);
    if (io.Failed() && error) *error = io.Error();
    return !io.Failed();
}
template <class File>
std::vector<uint8_t> WriteModelBinary(const File& file) {
    CModelWriter io;
    File copy = file;
    Transfer(io, copy);
    return std::move(io.Bytes());
}
template <class File>
bool ParseModelText(std::string_view text, File& file, std::string* error) {
    CModelTextReader io(text);
    Transfer(io, file);
    io.Finish();
    if (io.Failed() && error) *error = io.Error();
    return !io.Failed();
}
template <class File>
std::string DumpModelText(const File& file) {
    CModelTextWriter io;
    File copy = file;
    Transfer(io, copy);
    return io.Take();
}
