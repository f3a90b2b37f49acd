#include "ui/window_messages.h"

#include <cstring>
#include <string_view>

#include "core/util.h"
#include "platform/paths.h"
#include "platform/url.h"

bool IsOpenableUrl(const char* url) {
    return url && plat::IsWebAddress(url);
}
