// Small helpers used all over the program: strings in the game's code page,
// numbers, geometry with the fast square root, colours and 16-bit pixels. The
// key-file holder is in core/key_file.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// ---------------------------------------------------------------------------
// Strings and numbers. Strings are NUL-terminated bytes of the system code page
// (plat::GetACP); wherever a text is cut it is cut between characters, never
// inside a double-byte one. Functions that write into a caller's buffer take its
// capacity in bytes (terminator included) and always terminate it when the
// capacity is at least 1; they return false when the text had to be cut.
// The array overloads take the capacity from the array.

// Replaces every ' ' by '0' in place ("%4d" of 12 gives "0012").
void SpacesToZeros(char* text);
// Turns 'a'-'z' into 'A'-'Z' in place; other bytes (double-byte characters
// included) are left as they are.
void StrToUpper(char* text);

// Copies text without its ' ' bytes.
bool RemoveSpaces(const char* text, char* out, size_t capacity);
// Copies the first run of bytes that are neither ' ' nor '\t' (leading ones skipped).
bool FirstWord(const char* text, char* out, size_t capacity);
// Copies the extension of the file name: the text after its last '.'. Out is
// empty when the name has no '.' or ends in one; a '.' in a folder name of the
// path ('/' or '\') does not count.
bool GetFileExtension(const char* path, char* out, size_t capacity);

// Copies the longest prefix of at most n bytes that does not split a
// double-byte character (and fits the capacity). Returns where the rest of the
// text begins, or null when the whole text was copied.
const char* CopyDbcsPrefix(const char* text, size_t n, char* out, size_t capacity);

// Shortens a text to at most n bytes: n below 1 gives an empty out, a text of
// at most n bytes is copied as it is, a longer one becomes its longest
// double-byte-safe prefix of at most n - 3 bytes followed by "..." (for n below
// 4 only as many dots as fit). Returns false when the capacity cut it further.
bool TruncateWithEllipsis(const char* text, int n, char* out, size_t capacity);

// The unsigned number with ',' between groups of three digits: 1234567 gives
// "1,234,567". The buffer form returns out.
std::string FormatNumberWithCommas(uint32_t number);
// The text for an HTML page: &, <, >, " and ' as entities, stepped a
// character at a time so that a double-byte character passes whole; a '%'
// stays a '%'.
std::string EscapeHtmlText(std::string_view text);
char* FormatNumberWithCommas(uint32_t number, char* out, size_t capacity);

// The number at the start of the text as atoi reads it (blanks, a sign, then
// digits; 0 without digits or for null), held at the ends of the type's range
// where atoi would overflow.
int32_t ParseInt32(const char* text);
int64_t ParseInt64(const char* text);

// Number of characters of the number printed with "%d" / "%u".
int GetDecimalLength(int32_t number);
int GetDecimalLength(uint32_t number);

// XORs every byte of the buffer with the key.
void XorBytes(void* buffer, size_t length, uint8_t key);

template <size_t N>
bool RemoveSpaces(const char* text, char (&out)[N]) {
    return RemoveSpaces(text, out, N);
}
template <size_t N>
bool FirstWord(const char* text, char (&out)[N]) {
    return FirstWord(text, out, N);
}
template <size_t N>
bool GetFileExtension(const char* path, char (&out)[N]) {
    return GetFileExtension(path, out, N);
}
template <size_t N>
const char* CopyDbcsPrefix(const char* text, size_t n, char (&out)[N]) {
    return CopyDbcsPrefix(text, n, out, N);
}
template <size_t N>
bool TruncateWithEllipsis(const char* text, int n, char (&out)[N]) {
    return TruncateWithEllipsis(text, n, out, N);
}
template <size_t N>
char* FormatNumberWithCommas(uint32_t number, char (&out)[N]) {
    return FormatNumberWithCommas(number, out, N);
}

// ---------------------------------------------------------------------------
// Geometry (floats). Screen coordinates: x to the right, y downwards.

struct FPoint {
    float x;
    float y;
};

// Start-up's step that fills the fast square-root table. The table is made at
// compile time, so this has nothing left to do; it is kept for the call.
void InitSqrtTable();
// Square root from a 256-entry table indexed by the exponent's parity and the
// top seven mantissa bits: within about 0.2 percent; 0 for 0, negative values
// and NaN.
float FastSqrt(float value);

// Distance between two points by the fast square root; 0 for equal points.
float GetDistance(float x1, float y1, float x2, float y2);
float GetDistance3D(float x1, float y1, float z1, float x2, float y2, float z2);
// Fast square root of dx*dx + w*dy*dy; 0 for equal points.
float GetWeightedDistance(float x1, float y1, float x2, float y2, float w);
// Direction from point 1 to point 2 in degrees, 0 to below 360, measured from
// +x towards +y: a vertical line gives 90 (y2 > y1) or 270, equal points 0.
float GetAngle(float x1, float y1, float x2, float y2);
// The facing from point 1 towards point 2 as one of eight even values: 0 up
// (towards -y), then clockwise on the screen, 4 right, 8 down, 12 left. The
// sector is chosen from the slope dy/dx with the bounds 1.73, 0.577, -0.268 and
// -3.73; a vertical line gives 0 or 8, equal points 0.
int GetDirection(float x1, float y1, float x2, float y2);
// -1 or +1 from the low bit of rand().
int RandomSign();
// True for a screen box far outside any screen: right < -1000, left >= 1800,
// bottom < -1000 or top >= 1600.
bool IsFarOffScreen(int left, int top, int right, int bottom);
// The line y = slope * x + offset through both points; slope 0 when x1 == x2.
void LineThroughPoints(float x1, float y1, float x2, float y2, float& slope, float& offset);
FPoint MidPoint(float x1, float y1, float x2, float y2);
// True when the two rectangles, each given by two opposite corners, share at
// least one point (touching edges count).
bool RectsOverlap(float ax1, float ay1, float ax2, float ay2, float bx1, float by1, float bx2, float by2);

// ---------------------------------------------------------------------------
// Colours and pixels. A colour is four bytes b0, b1, b2, 0 with b0 in the low
// byte (red in the low byte, as text colours are kept).

// 0 red, 1 blue, 2 white, 3 black, 4 brown (128, 64, 0), 5 yellow, 6 pink
// (255, 0, 128), 7 grey; other indices leave the colour as it is.
void SetColorByIndex(uint32_t& colour, int index);

// 0x00RRGGBB to a 16-bit pixel.
uint16_t Rgb888To565(uint32_t rgb);
uint16_t Rgb888To555(uint32_t rgb);
uint16_t Rgb565To555(uint16_t pixel);
// Grey of a pixel: 0.3 x its low 5-bit field + 0.59 x its middle field (its top
// five bits for 5-6-5) + 0.1 x its top field, as a grey pixel of the same layout.
uint16_t GreyPixel565(uint16_t pixel);
uint16_t GreyPixel555(uint16_t pixel);
