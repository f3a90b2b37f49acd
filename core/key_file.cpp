#include "core/key_file.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/util.h"
#include "platform/paths.h"

// ---- Key readers ----

bool CKeyFile::Open(const char* path) {
    Close();
    if (!path) return false;
    m_file = plat::OpenFile(path, "rb");
    return m_file != nullptr;
}

void CKeyFile::Close() {
    if (m_file) fclose(m_file);
    m_file = nullptr;
}

bool CKeyFile::ReadToken(std::string& token) {
    token.clear();
    int c;
    do {
        c = fgetc(m_file);
        if (c == EOF) return false;
    } while (isspace(c));
    while (c != EOF && !isspace(c)) {
        if (token.size() < MAX_KEY_TOKEN) token.push_back(char(c));
        c = fgetc(m_file);
    }
    return true;
}

bool CKeyFile::FindValue(const char* key, std::string& value) {
    if (!m_file || !key) return false;
    std::string token;
    if (ReadToken(token) && token == key) return ReadToken(value);
    if (fseek(m_file, 0, SEEK_SET) != 0) return false;
    while (ReadToken(token)) {
        if (token == key) return ReadToken(value);
    }
    return false;
}

int CKeyFile::ReadIniInt(const char* key, uint8_t defaultValue) {
    std::string value;
    return FindValue(key, value) ? atoi(value.c_str()) : int(defaultValue);
}

int CKeyFile::ReadIniLong(const char* key, int32_t defaultValue) {
    std::string value;
    return FindValue(key, value) ? atoi(value.c_str()) : int(defaultValue);
}

float CKeyFile::ReadIniFloat(const char* key, float defaultValue) {
    std::string value;
    return FindValue(key, value) ? float(atof(value.c_str())) : defaultValue;
}

void CKeyFile::ReadIniString(const char* key, char* out, size_t capacity, const char* defaultValue) {
    if (!out || capacity == 0) return;
    CopyDbcsPrefix(ReadIniString(key, defaultValue).c_str(), capacity - 1, out, capacity);
}

std::string CKeyFile::ReadIniString(const char* key, const char* defaultValue) {
    std::string value;
    if (FindValue(key, value)) return value;
    return defaultValue ? std::string(defaultValue) : std::string();
}

// ---- Expression evaluator ----

namespace {

enum TokenCode : int {
    T_ERROR = -1,
    T_OPEN = 0,
    T_CLOSE = 1,
    T_ADD = 2,
    T_SUB = 3,
    T_MUL = 4,
    T_DIV = 5,
    T_MOD = 6,
    T_END = 7,
    T_NUMBER = 8,
    T_EQ = 9,
    T_GT = 10,
    T_LT = 11,
    T_GE = 12,
    T_LE = 13,
    T_NE = 14,
    T_AND = 15,
    T_OR = 16,
};

struct Token {
    int code;
    double value = 0.0;
    bool valid = true;  // a number: false when a sign had no digits after it
};

bool IsNumberChar(char c) {
    return isdigit(uint8_t(c)) || c == '.';
}

// The nearest character before pos that is not a space, or 0.
char PreviousNonSpace(const std::string& s, size_t pos) {
    while (pos > 0) {
        char c = s[--pos];
        if (c != ' ') return c;
    }
    return 0;
}

// Runs of signs collapse into one; a '+' that does not follow a number is dropped.
std::string NormaliseSigns(const char* formula) {
    std::string out;
    for (size_t i = 0; formula[i];) {
        char c = formula[i];
        if (c != '+' && c != '-') {
            out.push_back(c);
            ++i;
            continue;
        }
        int minus = 0;
        while (formula[i] == '+' || formula[i] == '-') minus += formula[i++] == '-';
        if (minus % 2)
            out.push_back('-');
        else if (IsNumberChar(PreviousNonSpace(out, out.size())))
            out.push_back('+');
    }
    return out;
}

double ReadNumber(const std::string& s, size_t& pos) {
    size_t start = pos;
    while (pos < s.size() && IsNumberChar(s[pos])) ++pos;
    return atof(s.substr(start, pos - start).c_str());
}

std::vector<Token> Tokenise(const std::string& s) {
    std::vector<Token> tokens;
    size_t p = 0;
    for (;;) {
        while (p < s.size() && s[p] == ' ') ++p;
        if (p >= s.size()) {
            tokens.push_back({T_END});
            return tokens;
        }
        char c = s[p];
        char next = p + 1 < s.size() ? s[p + 1] : 0;
        static const struct {
            char a, b;
            int code;
        } kPairs[] = {{'!', '=', T_NE}, {'&', '&', T_AND}, {'|', '|', T_OR},
                      {'=', '=', T_EQ}, {'<', '=', T_LE},  {'>', '=', T_GE}};
        bool paired = false;
        for (const auto& pair : kPairs) {
            if (c == pair.a && next == pair.b) {
                tokens.push_back({pair.code});
                p += 2;
                paired = true;
                break;
            }
        }
        if (paired) continue;
        switch (c) {
            case '(':
                tokens.push_back({T_OPEN});
                ++p;
                continue;
            case ')':
                tokens.push_back({T_CLOSE});
                ++p;
                continue;
            case '+':
                tokens.push_back({T_ADD});
                ++p;
                continue;
            case '*':
                tokens.push_back({T_MUL});
                ++p;
                continue;
            case '/':
                tokens.push_back({T_DIV});
                ++p;
                continue;
            case '%':
                tokens.push_back({T_MOD});
                ++p;
                continue;
            case '>':
                tokens.push_back({T_GT});
                ++p;
                continue;
            case '<':
                tokens.push_back({T_LT});
                ++p;
                continue;
            default:
                break;
        }
        if (c == '-') {
            size_t q = p + 1;
            int minus = 1;
            while (q < s.size() && (s[q] == '-' || s[q] == '+' || s[q] == ' ')) minus += s[q++] == '-';
            if (IsNumberChar(PreviousNonSpace(s, p))) {
                // Binary: the signs become one operator, and a number must follow.
                if (q < s.size() && IsNumberChar(s[q]))
                    tokens.push_back({minus % 2 ? T_SUB : T_ADD});
                else
                    tokens.push_back({T_ERROR});
                p = q;
            } else {
                // Unary: the signs belong to the number that follows.
                Token number{T_NUMBER};
                number.valid = q < s.size() && IsNumberChar(s[q]);
                p = q;
                double v = ReadNumber(s, p);
                number.value = minus % 2 ? -v : v;
                tokens.push_back(number);
            }
            continue;
        }
        if (IsNumberChar(c)) {
            Token number{T_NUMBER};
            number.value = ReadNumber(s, p);
            tokens.push_back(number);
            continue;
        }
        tokens.push_back({T_ERROR});
        ++p;
    }
}

bool IsOperator(int code) {
    return (code >= T_ADD && code <= T_MOD) || (code >= T_EQ && code <= T_OR);
}

uint32_t Validate(const std::vector<Token>& tokens) {
    for (const Token& t : tokens)
        if (t.code == T_ERROR) return EXPR_BAD_CHAR;
    bool expectOperand = true;
    int depth = 0;
    for (const Token& t : tokens) {
        if (expectOperand) {
            if (t.code == T_NUMBER) {
                if (!t.valid) return EXPR_SYNTAX;
                expectOperand = false;
            } else if (t.code == T_OPEN) {
                ++depth;
            } else {
                return EXPR_SYNTAX;
            }
        } else if (t.code == T_CLOSE) {
            if (--depth < 0) return EXPR_UNBALANCED;
        } else if (IsOperator(t.code)) {
            expectOperand = true;
        } else if (t.code == T_END) {
            break;
        } else {
            return EXPR_SYNTAX;
        }
    }
    return depth != 0 ? EXPR_UNBALANCED : EXPR_OK;
}

int Precedence(int code) {
    switch (code) {
        case T_MUL:
        case T_DIV:
        case T_MOD:
            return 13;
        case T_ADD:
        case T_SUB:
            return 12;
        case T_AND:
        case T_OR:
            return 8;
        case T_OPEN:
            return 0;  // on the stack
        default:
            return 10;  // comparisons
    }
}

std::vector<Token> ToPostfix(const std::vector<Token>& tokens) {
    std::vector<Token> out;
    std::vector<Token> stack;
    for (const Token& t : tokens) {
        if (t.code == T_NUMBER) {
            out.push_back(t);
        } else if (t.code == T_OPEN) {
            stack.push_back(t);
        } else if (t.code == T_CLOSE) {
            while (!stack.empty() && stack.back().code != T_OPEN) {
                out.push_back(stack.back());
                stack.pop_back();
            }
            if (!stack.empty()) stack.pop_back();
        } else if (t.code == T_END) {
            break;
        } else {
            while (!stack.empty() && Precedence(stack.back().code) >= Precedence(t.code)) {
                out.push_back(stack.back());
                stack.pop_back();
            }
            stack.push_back(t);
        }
    }
    while (!stack.empty()) {
        out.push_back(stack.back());
        stack.pop_back();
    }
    return out;
}

double Apply(int code, double a, double b) {
    const double kTinyDivisor = double(0.000001f);
    switch (code) {
        case T_ADD:
            return a + b;
        case T_SUB:
            return a - b;
        case T_MUL:
            return a * b;
        case T_DIV:
            return a / (b == 0.0 ? kTinyDivisor : b);
        case T_MOD:
            return fmod(a, b == 0.0 ? kTinyDivisor : b);
        case T_EQ:
            return a == b;
        case T_NE:
            return a != b;
        case T_GT:
            return a > b;
        case T_LT:
            return a < b;
        case T_GE:
            return a >= b;
        case T_LE:
            return a <= b;
        case T_AND:
            return a != 0.0 && b != 0.0;
        case T_OR:
            return a != 0.0 || b != 0.0;
        default:
            return 0.0;
    }
}

}  // namespace

uint32_t EvaluateExpression(const char* formula, double* result) {
    if (!formula || strlen(formula) > MAX_EXPRESSION) return EXPR_SYNTAX;
    std::vector<Token> tokens = Tokenise(NormaliseSigns(formula));
    uint32_t status = Validate(tokens);
    if (status != EXPR_OK) return status;
    std::vector<double> stack;
    for (const Token& t : ToPostfix(tokens)) {
        if (t.code == T_NUMBER) {
            stack.push_back(t.value);
            continue;
        }
        if (stack.size() < 2) return EXPR_SYNTAX;  // cannot happen after validation
        double b = stack.back();
        stack.pop_back();
        stack.back() = Apply(t.code, stack.back(), b);
    }
    if (stack.size() != 1) return EXPR_SYNTAX;
    if (result) *result = stack.back();
    return EXPR_OK;
}
