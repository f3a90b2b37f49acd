// The readable form of a compiled script, read by `qmscript build` and
// written by `qmscript dump`. One line an entry; '#' starts a comment; the
// items of an expression are separated by blanks ("( ) [ ] ," stand alone
// without them):
//
//   script variables 4 word 0 remove 0 reentrant 0   # the header, each key optional
//   block                          # blocks are numbered 0, 1, ... in order
//     set v0 = native 0 ( 2100 )   # assignment; "set v1 [ v0 + 1 ] = 5" indexes
//     do native 8 ( 1 , v0 , 1 , 0 )   # an expression statement
//     wait                         # waits for the natives still running
//     if v0 > 0 block 1            # also "while EXPR block N"
//     return v0 * 2
//     yield
//     op 5                         # an op code without operands
//     extra 7 8                    # the block's kept values
//   end
//   function body 0 entry 1 spare 0 params v1 v2   # functions are numbered in order
//
// Expression items: numbers ("-2", "1.5e3"), the operators == != < <= > >=
// && || + - * / %, variables "vN" (indexed "vN [ EXPR ]"), texts "\"...\""
// (escapes \" \\ \n \t \xHH), groups "( EXPR )", calls "native N ( ARGS )"
// and "call N ( ARGS )" (a script function), "callkind K N ( ARGS )" for a
// call of another kind, and "tag N" for an item of another tag.
#pragma once
#include <string>
#include <string_view>

#include "script/script_file.h"

// Reads the text; false with the line and the reason. A block, function or
// variable the text refers to must exist, and a native id be below 100.
bool ParseScriptText(std::string_view text, ScriptFileData& out, std::string* error);
// The script in the readable form (numbers printed so that they read back
// exactly).
std::string DumpScriptText(const ScriptFileData& script);
