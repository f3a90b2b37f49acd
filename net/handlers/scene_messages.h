// Records for the game scene and the map: 48 (map 94, 97; scene 95, 96, 98,
// 99, 100), 32 (map 84), 31 (map 83), 111 (scene 88), 97 (scene 14 or 15 by
// the client version), 116 (scene 16) and 47 (scene 105-113). Each does
// nothing while the connection is closed; a record whose receiver is missing
// is dropped.
#pragma once
#include <cstdint>

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
