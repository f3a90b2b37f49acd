// CScript: a compiled script as the script manager loads it by name from the
// script folder, shared by all the runners of that script: its variable
// count, blocks and functions (script_file.h), its two flags and the table of
// native functions registered for it under ids 0-99.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "script/script_file.h"

class CByteSource;
class CScriptRunner;

// A native function, called with the runner, the argument count and values,
// whether this is its first call, and out: done and the result. A native that
// leaves done false on its first call is called again (first false) once a
// frame until it reports done; its result is then thrown away. The returned
// truth value is not used.
using ScriptNative = std::function<bool(CScriptRunner* runner, uint32_t count, const double* args,
                                        bool firstCall, bool* done, double* result)>;

// Longest script name taken (the name comes from table data).
inline constexpr size_t SCRIPT_NAME_MAX = 511;

// A name that stays inside the script folder: not empty, at most
// SCRIPT_NAME_MAX bytes, without "/", "\" or "..".
bool IsScriptNameAllowed(const char* name);

class CScript {
public:
    CScript() = default;
    CScript(const CScript&) = delete;
    CScript& operator=(const CScript&) = delete;

    // Keeps the name and reads "<SCRIPT_FOLDER>/<name>"; false for a name
    // that is not allowed, a file that does not open or one that the reader
    // refuses (the caller then deletes the object).
    bool Load(const char* name);
    // Keeps the name and reads the script from the source.
    bool LoadFrom(CByteSource& source, const char* name, std::string* reason = nullptr);

    // The number of the first function whose entry flag is set, or -1.
    int32_t FindEntryFunction() const;

    const std::string& GetName() const { return m_name; }
    const ScriptFileData& Data() const { return m_data; }
    uint32_t VariableCount() const { return m_data.variableCount; }
    bool RemovesWhenFinished() const { return m_data.removeWhenFinished != 0; }
    bool IsReentrant() const { return m_data.reentrant != 0; }

private:
    friend void RegisterNative(CScript* script, uint32_t id, ScriptNative native);
    friend const ScriptNative* GetNative(const CScript* script, uint32_t id);

    std::string m_name;
    ScriptFileData m_data;
    ScriptNative m_natives[SCRIPT_NATIVE_SLOTS];
};

// Stores the native under the id (ids from SCRIPT_NATIVE_SLOTS on are ignored).
void RegisterNative(CScript* script, uint32_t id, ScriptNative native);
// The native of the id, or null when the id is out of range or has none.
const ScriptNative* GetNative(const CScript* script, uint32_t id);
