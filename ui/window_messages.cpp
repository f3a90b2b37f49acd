#include "ui/window_messages.h"

#include <cstring>
#include <string_view>

#include "core/util.h"
#include "platform/paths.h"

void CTimerMsg::Set(const char* name, uint32_t value, uint8_t action) {
    CopyRecordText(m_name, name);
    m_value = value;
    m_action = action;
}

bool IsOpenableUrl(const char* url) {
    if (!url) return false;
    const std::string_view text(url);
    auto startsWith = [text](std::string_view scheme) {
        return plat::EqualsNoCase(text.substr(0, scheme.size()), scheme);
    };
    if (!startsWith("http://") && !startsWith("https://")) return false;
    for (const char* p = url; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c == 0x7F) return false;
    }
    return true;
}
