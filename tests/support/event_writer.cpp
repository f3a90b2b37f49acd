#include "tests/support/event_writer.h"

#include <cstdio>
#include <cstring>

#include "core/byte_source.h"
#include "core/config.h"

namespace qmtest {

namespace {

EventParam Typed(uint8_t type) {
    EventParam p;
    p.type = type;
    return p;
}

}  // namespace

EventParam PText(const std::string& text) {
    EventParam p = Typed(0);
    std::strncpy(p.text, text.c_str(), EVENT_TEXT_SIZE);
    return p;
}

EventParam PByte(uint8_t value) {
    EventParam p = Typed(1);
    p.byteValue = value;
    return p;
}

EventParam PShort(uint8_t type, uint16_t value) {
    EventParam p = Typed(type);
    p.shortValue = value;
    return p;
}

EventParam PPoint(int32_t x, int32_t y) {
    EventParam p = Typed(4);
    p.x = x;
    p.y = y;
    return p;
}

EventParam PTriple(uint16_t first, uint16_t second, uint8_t flag) {
    EventParam p = Typed(6);
    p.tripleFirst = first;
    p.tripleSecond = second;
    p.tripleFlag = flag;
    return p;
}

EventParam PName(const std::string& text) {
    EventParam p = Typed(10);
    std::strncpy(p.text, text.c_str(), EVENT_SHORT_TEXT);
    return p;
}

EventParam PLong(uint32_t value) {
    EventParam p = Typed(12);
    p.longValue = value;
    return p;
}

EventWriter& EventWriter::Function(const std::string& name) {
    m_data.functions.push_back({name, {}});
    return *this;
}

EventWriter& EventWriter::Command(uint16_t code, std::vector<EventParam> params) {
    if (m_data.functions.empty()) Function("StartEvent");
    m_data.functions.back().commands.push_back({code, std::move(params)});
    return *this;
}

std::vector<uint8_t> EventWriter::Bytes() const {
    CByteWriter out;
    WriteEventFile(m_data, out);
    return out.Take();
}

std::vector<uint8_t> SpeechBytes(const std::map<uint16_t, std::string>& texts) {
    CByteWriter out;
    out.U8(0);
    out.U32(uint32_t(texts.size()));
    for (const auto& [id, text] : texts) {
        out.U16(id);
        out.U32(uint32_t(text.size()));
        out.Bytes(text.data(), text.size());
    }
    return out.Take();
}

ScopedEventFolders::ScopedEventFolders()
    : m_old{g_config.m_folders[FOLDER_FIELDSCRIPT], g_config.m_folders[FOLDER_VISUALEVENT],
            g_config.m_folders[FOLDER_SPEECH]} {
    g_config.m_folders[FOLDER_FIELDSCRIPT] = m_field.Path();
    g_config.m_folders[FOLDER_VISUALEVENT] = m_visual.Path();
    g_config.m_folders[FOLDER_SPEECH] = m_speech.Path();
}

ScopedEventFolders::~ScopedEventFolders() {
    g_config.m_folders[FOLDER_FIELDSCRIPT] = m_old[0];
    g_config.m_folders[FOLDER_VISUALEVENT] = m_old[1];
    g_config.m_folders[FOLDER_SPEECH] = m_old[2];
}

void ScopedEventFolders::WriteField(const std::string& name, const std::vector<uint8_t>& bytes) {
    m_field.WriteFile(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

void ScopedEventFolders::WriteVisual(const std::string& name, const std::vector<uint8_t>& bytes) {
    m_visual.WriteFile(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

void ScopedEventFolders::WriteSpeech(uint16_t number, const std::map<uint16_t, std::string>& texts) {
    char name[16];
    std::snprintf(name, sizeof name, "%04u.SPC", unsigned(number));
    const std::vector<uint8_t> bytes = SpeechBytes(texts);
    m_speech.WriteFile(name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

}  // namespace qmtest
