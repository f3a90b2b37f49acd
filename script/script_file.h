// The compiled script file: what a script holds once it is read (its blocks
// of statements, its functions and their expressions), the reader that takes
// it from a file and refuses a short or hostile one, and the writer that
// produces the same bytes (the qmscript tool and the tests use it).
//
// Layout, little-endian without padding: u16 word, u8 remove-when-finished
// flag, u8 re-entrant flag, u32 variable count, u32 block count and the
// blocks, u32 function count and the functions. A block is u32 statement
// count, the statements, u32 extra count and as many u32 values. A function
// is u8 entry flag, u32 parameter count and as many u32 variable indexes, u8
// spare byte and u32 body block. A statement is a u32 op code and its
// operands; an expression a u32 item count and its items (see ScriptItem).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CByteSource;
class CByteWriter;

// Statement op codes.
enum : uint32_t {
    SCRIPT_OP_IF = 0,      // condition, block
    SCRIPT_OP_RETURN = 1,  // value
    SCRIPT_OP_YIELD = 2,
    SCRIPT_OP_WAIT = 3,   // wait for the runner's pending natives
    SCRIPT_OP_WHILE = 4,  // condition, block
    SCRIPT_OP_UNWIND = 5,
    SCRIPT_OP_SPARE = 6,
    SCRIPT_OP_EXPR = 7,    // expression
    SCRIPT_OP_ASSIGN = 8,  // variable, indexed flag, [index], value
};

// Expression item tags: 0-12 operators, then the operands.
enum : uint32_t {
    SCRIPT_ITEM_EQ = 0,
    SCRIPT_ITEM_NE = 1,
    SCRIPT_ITEM_LT = 2,
    SCRIPT_ITEM_LE = 3,
    SCRIPT_ITEM_GT = 4,
    SCRIPT_ITEM_GE = 5,
    SCRIPT_ITEM_AND = 6,
    SCRIPT_ITEM_OR = 7,
    SCRIPT_ITEM_ADD = 8,
    SCRIPT_ITEM_SUB = 9,
    SCRIPT_ITEM_MUL = 10,
    SCRIPT_ITEM_DIV = 11,
    SCRIPT_ITEM_MOD = 12,
    SCRIPT_ITEM_VARIABLE = 13,  // u32 variable, u8 indexed flag, [index expression]
    SCRIPT_ITEM_CALL = 14,      // a call record
    SCRIPT_ITEM_NUMBER = 15,    // 8-byte double
    SCRIPT_ITEM_TEXT = 16,      // u32 length and the bytes
    SCRIPT_ITEM_GROUP = 17,     // a nested expression
};

// Call kinds.
enum : uint32_t {
    SCRIPT_CALL_NATIVE = 0,
    SCRIPT_CALL_FUNCTION = 1,
};

// Limits that refuse a file: more variables than this, or expressions
// nested deeper (a statement's own expression is level 1).
inline constexpr uint32_t SCRIPT_MAX_VARIABLES = 65536;
inline constexpr int SCRIPT_MAX_NESTING = 64;
// Native ids a script has slots for (0-99).
inline constexpr uint32_t SCRIPT_NATIVE_SLOTS = 100;

class CScriptExpr;
struct ScriptCall;

// The operator text of tags 0-12; null for the others.
const char* ScriptOperatorText(uint32_t tag);

// One item of an expression (a copy copies its nested expression and call).
struct ScriptItem {
    ScriptItem();
    ~ScriptItem();
    ScriptItem(const ScriptItem& other);
    ScriptItem& operator=(const ScriptItem& other);
    ScriptItem(ScriptItem&&) noexcept;
    ScriptItem& operator=(ScriptItem&&) noexcept;

    uint32_t tag = SCRIPT_ITEM_NUMBER;
    uint32_t variable = 0;               // variable
    bool indexed = false;                // variable: an index expression follows
    double number = 0;                   // number
    std::string text;                    // text
    std::unique_ptr<CScriptExpr> inner;  // variable's index, or the group's expression
    std::unique_ptr<ScriptCall> call;    // call
};

// An expression: its items in infix order, as they are read left to right.
class CScriptExpr {
public:
    std::vector<ScriptItem> m_items;
};

struct ScriptCall {
    uint32_t kind = SCRIPT_CALL_NATIVE;
    uint32_t index = 0;  // native id or function number
    std::vector<CScriptExpr> args;
};

struct ScriptStatement {
    uint32_t op = SCRIPT_OP_EXPR;
    CScriptExpr expr;       // condition, value or expression
    uint32_t block = 0;     // if and while
    uint32_t variable = 0;  // assignment
    bool indexed = false;   // assignment
    CScriptExpr index;      // assignment with an index
};

struct ScriptBlock {
    std::vector<ScriptStatement> statements;
    std::vector<uint32_t> extra;  // kept, not used when running
};

struct ScriptFunction {
    uint8_t entry = 0;
    std::vector<uint32_t> params;  // the variable each argument goes to
    uint8_t spare = 0;
    uint32_t body = 0;  // block number
};

struct ScriptFileData {
    uint16_t word = 0;  // kept, not used
    uint8_t removeWhenFinished = 0;
    uint8_t reentrant = 0;
    uint32_t variableCount = 0;
    std::vector<ScriptBlock> blocks;
    std::vector<ScriptFunction> functions;
};

// Reads a whole script from the source. False, with the reason, for a file
// that ends early, holds a count larger than the bytes left, more than
// SCRIPT_MAX_VARIABLES variables or expressions nested deeper than
// SCRIPT_MAX_NESTING. Bytes after the last function are not read.
bool ReadScriptFile(CByteSource& source, ScriptFileData& out, std::string* reason);

// The bytes of the script in the file layout.
void WriteScriptFile(const ScriptFileData& script, CByteWriter& out);
