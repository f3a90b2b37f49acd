#include "script/script.h"

#include <cstring>

#include "anim/model_support.h"
#include "core/config.h"
#include "data/file_resource.h"
#include "data/file_source.h"
#include "data/pack_archive.h"

bool IsScriptNameAllowed(const char* name) {
    if (!name || !*name) return false;
    const size_t length = strnlen(name, SCRIPT_NAME_MAX + 1);
    if (length > SCRIPT_NAME_MAX) return false;
    return !std::strchr(name, '/') && !std::strchr(name, '\\') && !std::strstr(name, "..");
}

bool CScript::Load(const char* name) {
    m_name = name && IsScriptNameAllowed(name) ? name : "";
    if (m_name.empty()) return false;
    const std::string path = g_config.m_folders[FOLDER_SCRIPT] + "/" + m_name;
    // A missing script is reported once, by the manager.
    if (!DataFileExists(path.c_str())) return false;
    CFileResource file;
    if (!file.OpenFile(path.c_str(), kFileStream, "rb", g_bUsePackFile, g_pPackFile)) return false;
    CFileSource source(file);
    return LoadFrom(source, m_name.c_str());
}

bool CScript::LoadFrom(CByteSource& source, const char* name, std::string* reason) {
    m_name = name ? name : "";
    return ReadScriptFile(source, m_data, reason);
}

int32_t CScript::FindEntryFunction() const {
    for (size_t i = 0; i < m_data.functions.size(); ++i)
        if (m_data.functions[i].entry) return int32_t(i);
    return -1;
}

void RegisterNative(CScript* script, uint32_t id, ScriptNative native) {
    if (script && id < SCRIPT_NATIVE_SLOTS) script->m_natives[id] = std::move(native);
}

const ScriptNative* GetNative(const CScript* script, uint32_t id) {
    if (!script || id >= SCRIPT_NATIVE_SLOTS || !script->m_natives[id]) return nullptr;
    return &script->m_natives[id];
}
