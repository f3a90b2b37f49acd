// The speech texts of a map ("%s\%4d.SPC" in the speech folder), with the
// server table "Speech_Substitution.meta" applied: a marker "<[key]>" in a
// text becomes the replacement of the first row whose key equals it.
//
// File (little-endian): u8 scrambled flag, u32 text count, then per text u16
// speech id, u32 length and the bytes (XOR 0x80 when scrambled). A short file
// or a count it cannot hold shows the read-error box once and keeps the texts
// read before.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base_object.h"

inline constexpr char SPEECH_SUBSTITUTION_TABLE[] = "Speech_Substitution.meta";
// Replacements made in one text; markers left after them become underscores.
inline constexpr int SPEECH_MAX_REPLACEMENTS = 64;

using SpeechSubstitutions = std::vector<std::pair<std::string, std::string>>;

// Replaces the markers of text by the first substitution with the same key:
// an unclosed "<[" becomes "__", a marker no key matches as many '_' as it
// has characters; the search restarts at the start after each replacement.
std::string SubstituteSpeech(std::string text, const SpeechSubstitutions& substitutions);

class CSpeechData : public CMsgObject {
public:
    CSpeechData() = default;
    ~CSpeechData() override;

    bool Create() override;
    // Frees every text; the count becomes 0.
    bool Release() override;

    // Loads the texts of the map, unless they are those of the map already
    // loaded. A missing file leaves no texts and reports nothing.
    void Load(uint16_t mapNumber);
    // Reads the bytes of a speech file with the substitutions given (the
    // loader takes them from the table cache); without substitute the texts
    // are kept as the file holds them (tools).
    bool LoadBytes(const uint8_t* data, size_t size, const char* name,
                   const SpeechSubstitutions& substitutions, bool substitute = true);
    // The text of the id, or null after the text-table message (17, 2).
    const char* GetText(uint16_t id) const;

    int32_t GetMapNumber() const { return m_mapNumber; }
    int32_t GetTextCount() const { return int32_t(m_texts.size()); }
    bool IsScrambled() const { return m_scrambled != 0; }
    uint16_t GetId(int32_t index) const { return m_ids[size_t(index)]; }
    // Null where the file's text is empty.
    const char* GetTextAt(int32_t index) const {
        return m_texts[size_t(index)] ? m_texts[size_t(index)]->c_str() : nullptr;
    }

private:
    uint8_t m_scrambled = 0;
    int32_t m_mapNumber = -1;
    std::vector<std::unique_ptr<std::string>> m_texts;
    std::vector<uint16_t> m_ids;
};

// "%s\%4d.SPC" in the speech folder.
std::string SpeechFilePath(int32_t mapNumber);
// The key and replacement of every row of the server table, or none when the
// cache or the table is missing.
SpeechSubstitutions LoadSpeechSubstitutions();
