// Configuration key readers: a text file of whitespace-separated tokens in
// which a key is followed by its value. And the formula evaluator of the
// scripts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Longest token kept by the readers; the rest of a longer token is skipped.
constexpr size_t MAX_KEY_TOKEN = 255;

// The key-file holder: one FILE handle, opened read-only ("rb") through the
// path mapping and closed when asked or when the holder goes.
class CKeyFile {
public:
    CKeyFile() = default;
    // Opens the file for reading; a null path or a file that cannot be opened
    // leaves it closed, and every read gives its default.
    explicit CKeyFile(const char* path) { Open(path); }
    ~CKeyFile() { Close(); }
    CKeyFile(const CKeyFile&) = delete;
    CKeyFile& operator=(const CKeyFile&) = delete;

    // Closes what was open, then opens the path; false when it cannot be opened.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    FILE* GetFile() const { return m_file; }

    // Each reader finds the key (first at the current position, else from the
    // start of the file) and converts the token after it; the position is left
    // after the value, so keys read in file order cost one token each.
    int ReadIniInt(const char* key, uint8_t defaultValue);
    int ReadIniLong(const char* key, int32_t defaultValue);
    float ReadIniFloat(const char* key, float defaultValue);
    // Copies the value (or the default) into out, cut to capacity - 1 bytes
    // between characters.
    void ReadIniString(const char* key, char* out, size_t capacity, const char* defaultValue);
    std::string ReadIniString(const char* key, const char* defaultValue);

private:
    bool ReadToken(std::string& token);
    bool FindValue(const char* key, std::string& value);

    FILE* m_file = nullptr;
};

// Result codes of EvaluateExpression.
enum : uint32_t {
    EXPR_OK = 0,
    EXPR_UNBALANCED = 1,  // parentheses do not balance
    EXPR_SYNTAX = 2,      // operands and operators do not alternate, or the formula is too long
    EXPR_BAD_CHAR = 3,    // a character that is not part of the grammar
};
// Longest formula accepted.
constexpr size_t MAX_EXPRESSION = 512;

// Evaluates an arithmetic and logical formula (numbers, ( ) + - * / %,
// == != < > <= >=, && ||). The result is written only on EXPR_OK.
uint32_t EvaluateExpression(const char* formula, double* result);
