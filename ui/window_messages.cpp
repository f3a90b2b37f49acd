#include "ui/window_messages.h"

#include <cstring>
#include <string_view>

#include "core/util.h"
#include "platform/paths.h"
#include "platform/url.h"

void CTimerMsg::Set(const char* name, uint32_t value, uint8_t action) {
    CopyRecordText(m_name, name);
    m_value = value;
    m_action = action;
}

bool IsOpenableUrl(const char* url) {
    return url && plat::IsWebAddress(url);
}
