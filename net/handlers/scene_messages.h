// Records for the game scene and the map: 48 (map 94, 97; scene 95, 96, 98,
// 99, 100), 32 (map 84), 31 (map 83), 111 (scene 88), 97 (scene 14 or 15 by
// the client version), 116 (scene 16) and 47 (scene 105-113). Each does
// nothing while the connection is closed; a record whose receiver is missing
// is dropped.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CGameSession;
class CPacketReader;

enum : uint8_t {
    SERVER_MAP_WEATHER = 31,
    SERVER_MAP_TIME = 32,
    SERVER_SCENE_LISTS = 47,
    SERVER_SCENE_FORMS = 48,
    SERVER_SCENE_NOTICE = 97,
    SERVER_NAME_LIST = 111,
    SERVER_SIX_VALUES = 116,
};

// Message 48 form 0 brings its byte from this client version on (200 before).
inline constexpr uint16_t ZONE_BYTE_VERSION = 251;
inline constexpr uint8_t ZONE_BYTE_DEFAULT = 200;
// Message 97 brings two texts from this client version on.
inline constexpr uint16_t NOTICE_TWO_TEXTS_VERSION = 219;

void HandleSceneMessage(CGameSession& session, uint8_t code, CPacketReader& body);

// The messenger's messages as a server writes them, code first.
struct MessengerListEntry {
    uint8_t state = 0;  // the wire type: 1 online (with the character name and resource id), 0 offline
    std::string memberName, charName;
    uint32_t resourceId = 0;
    uint8_t group = 0, listFlag = 0;
};
// 47 form 0: the buddies.
std::vector<uint8_t> WriteMessengerBuddies(const std::vector<MessengerListEntry>& entries);
// 47 form 1: the groups (id, name).
std::vector<uint8_t> WriteMessengerGroups(const std::vector<std::pair<uint8_t, std::string>>& groups);
// 47 forms 2 and 3: a buddy request, an added buddy (character name first).
std::vector<uint8_t> WriteMessengerEntry(uint8_t form, const std::string& charName,
                                         const std::string& memberName, uint32_t resourceId, uint8_t group);
// 47 forms 4-8: 4 (text), 5 (byte, text), 6 (byte), 7 (text, byte), 8 (text, text, byte).
std::vector<uint8_t> WriteMessengerChange(uint8_t form, uint8_t byte, const std::string& text1,
                                          const std::string& text2 = std::string());
// 111: the refusal switch and the names (type 1 entries with the character name).
std::vector<uint8_t> WriteNameList(uint8_t a, const std::vector<std::pair<std::string, std::string>>& names);
