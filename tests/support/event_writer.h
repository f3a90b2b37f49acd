// Event files for the tests: parameters and commands written as C++, a file
// of functions written in the file layout by the client's own writer, the
// folders of field scripts, visual events and speech texts pointed at temp
// folders, a speech file writer, and a recorder of the event manager's
// requests.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "script/event_file.h"
#include "script/event_mgr.h"
#include "tests/support/temp_dir.h"

namespace qmtest {

// One parameter of each type.
EventParam PText(const std::string& text);  // type 0
EventParam PByte(uint8_t value);            // type 1
EventParam PShort(uint8_t type, uint16_t value);
EventParam PPoint(int32_t x, int32_t y);  // type 4
EventParam PTriple(uint16_t first, uint16_t second, uint8_t flag);
EventParam PName(const std::string& text);  // type 10
EventParam PLong(uint32_t value);           // type 12

class EventWriter {
public:
    // Starts a new function; the commands after it go into it.
    EventWriter& Function(const std::string& name);
    EventWriter& Command(uint16_t code, std::vector<EventParam> params = {});
    EventFileData& Data() { return m_data; }
    std::vector<uint8_t> Bytes() const;

private:
    EventFileData m_data;
};

// The bytes of a speech file of (id, text) pairs.
std::vector<uint8_t> SpeechBytes(const std::map<uint16_t, std::string>& texts);

// Points the field-script, visual-event and speech folders at temp folders.
class ScopedEventFolders {
public:
    ScopedEventFolders();
    ~ScopedEventFolders();
    ScopedEventFolders(const ScopedEventFolders&) = delete;
    ScopedEventFolders& operator=(const ScopedEventFolders&) = delete;

    // "0012.EVT", "0379.VET", "0001.VSE"...
    void WriteField(const std::string& name, const std::vector<uint8_t>& bytes);
    void WriteVisual(const std::string& name, const std::vector<uint8_t>& bytes);
    void WriteSpeech(uint16_t number, const std::map<uint16_t, std::string>& texts);

private:
    TempDir m_field, m_visual, m_speech;
    std::string m_old[3];
};

// The manager's requests, kept as the bytes request 108 would carry after
// its code.
class RecordingEventRequests : public IEventRequests {
public:
    struct Sent {
        uint8_t kind = 0;
        uint32_t value1 = 0, value2 = 0;
        std::vector<uint8_t> bytes;  // the pairs, or the choice record
    };
    bool IsConnected() override { return m_connected; }
    void SendEventState(uint8_t kind, uint32_t eventValue, uint32_t function,
                        const std::vector<uint8_t>& pairs) override {
        m_sent.push_back({kind, eventValue, function, pairs});
    }
    void SendEventSelection(uint32_t value1, uint32_t value2, const uint8_t* record, size_t length) override {
        m_sent.push_back({2, value1, value2, std::vector<uint8_t>(record, record + length)});
    }
    bool m_connected = true;
    std::vector<Sent> m_sent;
};

}  // namespace qmtest
