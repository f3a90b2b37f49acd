#include "world/map/speech_data.h"

#include <cstdio>
#include <cstring>

#include "core/byte_source.h"
#include "core/config.h"
#include "core/error_box.h"
#include "core/util.h"
#include "data/file_resource.h"
#include "data/meta_cache.h"
#include "data/text_format.h"
#include "data/text_tables.h"
#include "world/map/stage_data.h"

std::string SubstituteSpeech(std::string text, const SpeechSubstitutions& substitutions) {
    int replaced = 0;
    for (size_t pos = text.find("<["); pos != std::string::npos; pos = text.find("<[")) {
        const size_t end = text.find("]>", pos + 2);
        if (end == std::string::npos) {
            text[pos] = text[pos + 1] = '_';
            break;
        }
        const std::string_view key(text.data() + pos + 2, end - pos - 2);
        const std::string* replacement = nullptr;
        if (replaced < SPEECH_MAX_REPLACEMENTS)
            for (const auto& [k, v] : substitutions)
                if (k == key) {
                    replacement = &v;
                    break;
                }
        if (replacement) {
            text.replace(pos, end + 2 - pos, *replacement);
            ++replaced;
        } else {
            text.replace(pos, end + 2 - pos, end + 2 - pos, '_');
        }
    }
    return text;
}

std::string SpeechFilePath(int32_t mapNumber) {
    char number[16];
    std::snprintf(number, sizeof number, "%4d", mapNumber);
    SpacesToZeros(number);
    return g_config.m_folders[FOLDER_SPEECH] + "\\" + number + ".SPC";
}

SpeechSubstitutions LoadSpeechSubstitutions() {
    SpeechSubstitutions out;
    const CMetaRecord* table =
        g_pMetaCache ? g_pMetaCache->FindTableByName(SPEECH_SUBSTITUTION_TABLE) : nullptr;
    if (!table) return out;
    std::vector<MetaRow> rows;
    ParseMetaRows(*table, rows);
    for (const MetaRow& row : rows)
        out.emplace_back(row.empty() ? std::string() : row[0], row.size() > 1 ? row[1] : std::string());
    return out;
}

CSpeechData::~CSpeechData() {
    CSpeechData::Release();
}

bool CSpeechData::Create() {
    m_scrambled = 0;
    return true;
}

bool CSpeechData::Release() {
    m_texts.clear();
    m_ids.clear();
    return true;
}

void CSpeechData::Load(uint16_t mapNumber) {
    if (int32_t(mapNumber) == m_mapNumber) return;
    Release();
    Create();
    m_mapNumber = mapNumber;
    std::vector<uint8_t> bytes;
    const std::string path = SpeechFilePath(mapNumber);
    if (ReadMapDataFile(path, bytes) != MapDataRead::Read) return;
    // The substitution table is fetched only for a file with texts.
    if (bytes.size() < 5 || (bytes[1] | bytes[2] | bytes[3] | bytes[4]) == 0) {
        LoadBytes(bytes.data(), bytes.size(), path.c_str(), {});
        return;
    }
    LoadBytes(bytes.data(), bytes.size(), path.c_str(), LoadSpeechSubstitutions());
}

bool CSpeechData::LoadBytes(const uint8_t* data, size_t size, const char* name,
                            const SpeechSubstitutions& substitutions, bool substitute) {
    CMemorySource src(data, size);
    uint32_t count = 0;
    if (!src.ReadU8(m_scrambled) || !src.ReadU32(count) || uint64_t(count) * 6 > src.Remaining()) {
        ShowFileReadError(name, "header");
        return false;
    }
    m_texts.reserve(count);
    m_ids.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t id = 0;
        uint32_t length = 0;
        if (!src.ReadU16(id) || !src.ReadU32(length) || length > src.Remaining()) {
            ShowFileReadError(name, "text");
            return false;
        }
        std::unique_ptr<std::string> text;
        if (length > 0) {
            std::string bytes(length, '\0');
            src.ReadExact(bytes.data(), length);
            if (m_scrambled) XorBytes(bytes.data(), bytes.size(), 0x80);
            bytes.resize(std::strlen(bytes.c_str()));
            text = std::make_unique<std::string>(
                substitute ? SubstituteSpeech(std::move(bytes), substitutions) : std::move(bytes));
        }
        m_ids.push_back(id);
        m_texts.push_back(std::move(text));
    }
    return true;
}

const char* CSpeechData::GetText(uint16_t id) const {
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id) return m_texts[i] ? m_texts[i]->c_str() : nullptr;
    const std::string path = SpeechFilePath(m_mapNumber);
    ReportError("%s", FormatTableText(GetTableText(17, 2), {path, unsigned(id)}).c_str());
    return nullptr;
}
