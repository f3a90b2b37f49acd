#include "net/handlers/chat_messages.h"

#include <memory>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/error_box.h"
#include "data/text_tables.h"
#include "net/connection.h"
#include "net/game_session.h"
#include "net/handlers/handler_rules.h"
#include "net/handlers/list_fields.h"
#include "net/handlers/server_windows.h"
#include "net/handlers/window_records.h"
#include "net/packet_reader.h"
#include "net/packet_writer.h"

namespace {

constexpr char CHAT_WINDOW[] = "MSGWIN";
constexpr char REPLY_WINDOW[] = "ReplyWindow";
constexpr char EVENT_TALK_WINDOW[] = "EventTalkWindows";
constexpr char PET_WINDOW[] = "Pet_Interface";
constexpr char INCUBATOR_WINDOW[] = "Pet_Incubator_Window";
constexpr char PET_WARNING_BOX[] = "Pet_Warning_MessageBox";
constexpr char INCUBATOR_WARNING_BOX[] = "Incubator_Warning_MessageBox";

enum : uint8_t {
    CHAT_KIND_SYSTEM = 1,
    CHAT_KIND_EVENT_TALK = 20,
    CHAT_KIND_SERVER_BOX = 21,
    CHAT_KIND_REPLY = 22,
    CHAT_KIND_TICKER = 24,
    CHAT_KIND_KEPT_BOX = 8,
    CHAT_KIND_HIDING_BOX = 17,
    CHANNEL_KIND_SCENE = 19,
    CHANNEL_SUB_FIXED = 0,
    CHANNEL_SUB_LINE = 3,
};

using Text = char[WINDOW_TEXT_SIZE];

std::unique_ptr<CChatLineMsg> ChatLine(uint32_t kind, const char* text, uint8_t flag1, uint8_t flag2) {
    auto line = std::make_unique<CChatLineMsg>();
    line->Set(kind, text, flag1, flag2);
    return line;
}

bool IsSceneKind(uint32_t kind) {
    return kind == 4 || kind == 5 || kind == 18;
}

void HandleChat10(CPacketReader& body) {
    uint8_t kind = body.GetByte();
    const uint8_t extra = body.GetByte();
    switch (kind) {
        case CHAT_KIND_REPLY: {
            auto record = std::make_unique<CReplyRequestMsg>();
            record->m_requestId = body.GetDword();
            body.GetString(record->m_first);
            body.GetString(record->m_second);
            if (body.Failed()) return;
            PostToWindow(REPLY_WINDOW, std::move(record));
            break;
        }
        case CHAT_KIND_SERVER_BOX: {
            const uint32_t boxId = body.GetDword();
            Text text, ok, cancel;
            body.GetString(text);
            body.GetString(ok);
            body.GetString(cancel);
            if (body.Failed()) return;
            AskServerQuestion(boxId, text, ok, cancel);
            break;
        }
        case CHAT_KIND_KEPT_BOX:
        case CHAT_KIND_HIDING_BOX: {
            Text text;
            body.GetString(text);
            if (body.Failed()) return;
            if (kind == CHAT_KIND_KEPT_BOX)
                ShowKeptServerNotice(text);
            else
                ShowAutoHideServerNotice(text);
            break;
        }
        default: {
            Text text;
            body.GetString(text);
            if (body.Failed()) return;
            if (kind == 0) kind = CHAT_KIND_SYSTEM;
            if (IsSceneKind(kind)) PostToGameScene(ChatLine(kind, text, 0, 0));
            if (kind != CHAT_KIND_TICKER) PostToWindow(CHAT_WINDOW, ChatLine(kind, text, 0, extra));
            if (kind == CHAT_KIND_EVENT_TALK) {
                auto talk = std::make_unique<CWindowTextMsg>(MSG_EVENT_TALK_TEXT);
                CopyRecordText(talk->m_text, text);
                PostToWindow(EVENT_TALK_WINDOW, std::move(talk));
            }
            if (kind == CHAT_KIND_TICKER) {
                auto notice = std::make_unique<CWindowTextMsg>(MSG_TICKER_NOTICE);
                notice->m_extra = extra;
                CopyRecordText(notice->m_text, text);
                PostToWindow(CHAT_WINDOW, std::move(notice));
            }
            break;
        }
    }
    RearmConnection();
}

void HandleChat13(CPacketReader& body) {
    const uint8_t extra = body.GetByte();
    const uint32_t kind = body.GetDword();
    Text text;
    body.GetString(text);
    if (body.Failed()) return;
    PostToWindow(CHAT_WINDOW, ChatLine(kind, text, extra, 0));
    RearmConnection();
}

void HandleChannel(CPacketReader& body) {
    const uint8_t kind = body.GetByte();
    const uint8_t subKind = body.GetByte();
    Text name, text;
    body.GetString(name);
    body.GetString(text);
    if (body.Failed()) return;
    if (subKind == CHANNEL_SUB_FIXED) {
        // The row is a plain line, never a format.
        PostToWindow(CHAT_WINDOW, ChatLine(3, GetTableText(CHAT_TEXT_TABLE, CHAT_TEXT_CHANNEL_ROW), 0, 0));
    } else if (kind == CHANNEL_KIND_SCENE) {
        auto record = std::make_unique<CChatNameMsg>();
        record->Set(CHANNEL_KIND_SCENE, subKind, name, text);
        PostToGameScene(std::move(record));
    } else if (subKind == CHANNEL_SUB_LINE && (kind != 0 || g_options.GetByte(OPTION_CHANNEL_KIND0))) {
        // Cut to the chat line's room between characters.
        const std::string line = std::string(name) + " : " + text;
        PostToWindow(CHAT_WINDOW, ChatLine(kind, line.c_str(), 0, 0));
    }
    RearmConnection();
}

// ---- Pets ----

// [u8 count][count u32].
bool ReadCountedList(CPacketReader& body, std::vector<uint32_t>& out) {
    return ReadDwordList(body, body.GetByte(), out);
}

// Reads a text into the field; true when the wire length was not 0.
template <size_t N>
bool GetNonEmptyText(CPacketReader& body, char (&field)[N]) {
    const size_t before = body.Position();
    body.GetString(field);
    return body.Position() - before > 1;
}

// Group 1, the pet window; sub-code 3 is handled by the caller.
std::unique_ptr<CMsgPayload> ParsePetWindow(uint8_t subCode, CPacketReader& body) {
    switch (subCode) {
        case 0: {
            auto info = std::make_unique<CPetInfoMsg>();
            if (GetNonEmptyText(body, info->m_name)) {
                body.GetString(info->m_second);
                info->m_a = body.GetDword();
                info->m_b = body.GetDword();
                info->m_c = body.GetDword();
                info->m_d = body.GetWord();
                info->m_e = body.GetWord();
                info->m_f = body.GetWord();
                info->m_g = body.GetTriple();
                for (std::vector<uint32_t>& list : info->m_lists) ReadCountedList(body, list);
            }
            return IfWhole(body, std::move(info));
        }
        case 1: {
            auto values = std::make_unique<CPetValuesMsg>();
            values->m_a = body.GetDword();
            values->m_b = body.GetDword();
            values->m_c = body.GetDword();
            values->m_d = body.GetWord();
            values->m_e = body.GetWord();
            values->m_f = body.GetWord();
            return IfWhole(body, std::move(values));
        }
        case 2: {
            auto list = std::make_unique<CPetListMsg>();
            ReadCountedList(body, list->m_values);
            return IfWhole(body, std::move(list));
        }
        default:
            return nullptr;
    }
}

// Group 0, the incubator; sub-code 4 is handled by the caller.
std::unique_ptr<CMsgPayload> ParseIncubator(uint8_t subCode, CPacketReader& body) {
    switch (subCode) {
        case 0: {
            auto egg = std::make_unique<CEggInfoMsg>();
            if (GetNonEmptyText(body, egg->m_name)) {
                egg->m_a = body.GetDword();
                egg->m_b = body.GetWord();
                egg->m_c = body.GetWord();
                egg->m_d = body.GetWord();
                for (std::vector<uint32_t>& list : egg->m_lists) ReadCountedList(body, list);
            }
            return IfWhole(body, std::move(egg));
        }
        case 1:
            return std::make_unique<CSignalMsg>(MSG_EGG_CLEAR);
        case 2: {
            auto progress = std::make_unique<CEggProgressMsg>();
            for (uint16_t& value : progress->m_values) value = body.GetWord();
            return IfWhole(body, std::move(progress));
        }
        case 3: {
            auto time = std::make_unique<CWindowValueMsg>(MSG_EGG_TIME);
            time->m_value = body.GetDword();
            return IfWhole(body, std::move(time));
        }
        default:
            return nullptr;
    }
}

void HandlePets(CGameSession& session, uint8_t code, CPacketReader& body) {
    const uint8_t group = body.GetByte();
    const uint8_t subCode = body.GetByte();
    if (body.Failed() || group > 1 || subCode > 4) return;
    const char* window = group == 1 ? PET_WINDOW : INCUBATOR_WINDOW;
    if (subCode == 4) {
        // A warning box of the window's own name, one at a time.
        Text text;
        body.GetString(text);
        if (body.Failed()) return;
        if (FindServerWindow(window))
            ShowNamedServerNotice(group == 1 ? PET_WARNING_BOX : INCUBATOR_WARNING_BOX, text);
        return;
    }
    if (group == 1 && subCode == 3) {
        auto name = std::make_unique<CPetNameMsg>();
        body.GetString(name->m_name);
        if (body.Failed()) return;
        if (FindServerWindow(window)) {
            PostToWindow(window, std::move(name));
        } else {
            // Tried again next frame, from the code to the end of the name.
            std::vector<uint8_t> again{code};
            again.insert(again.end(), body.Data(), body.Data() + body.Position());
            session.QueuePacket(again.data(), again.size());
        }
        return;
    }
    std::unique_ptr<CMsgPayload> record =
        group == 1 ? ParsePetWindow(subCode, body) : ParseIncubator(subCode, body);
    if (record) PostToWindow(window, std::move(record));
}

}  // namespace

void HandleChatMessage(CGameSession&, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    switch (code) {
        case SERVER_CHAT:
            HandleChat10(body);
            break;
        case SERVER_CHAT_LINE:
            HandleChat13(body);
            break;
        case SERVER_CHANNEL:
            HandleChannel(body);
            break;
        default:
            break;
    }
}

void HandlePetMessage(CGameSession& session, uint8_t code, CPacketReader& body) {
    if (!IsServerConnected()) return;
    HandlePets(session, code, body);
}

std::vector<uint8_t> WriteChatLine(uint8_t kind, uint8_t extra, const std::string& text) {
    return CMessageWriter(SERVER_CHAT).PutByte(kind).PutByte(extra).PutText(text).Take();
}

std::vector<uint8_t> WriteServerQuestion(uint32_t boxId, const std::string& text, const std::string& okReply,
                                         const std::string& cancelReply) {
    return CMessageWriter(SERVER_CHAT)
        .PutByte(CHAT_KIND_SERVER_BOX)
        .PutByte(0)
        .PutDword(boxId)
        .PutText(text)
        .PutText(okReply)
        .PutText(cancelReply)
        .Take();
}

std::vector<uint8_t> WriteChatSpeech(uint8_t noName, uint32_t kind, const std::string& text) {
    return CMessageWriter(SERVER_CHAT_LINE).PutByte(noName).PutDword(kind).PutText(text).Take();
}

std::vector<uint8_t> WriteChannelLine(uint8_t kind, uint8_t subKind, const std::string& name,
                                      const std::string& text) {
    return CMessageWriter(SERVER_CHANNEL).PutByte(kind).PutByte(subKind).PutText(name).PutText(text).Take();
}
