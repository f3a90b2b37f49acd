#include "ui/ui_requests.h"

namespace {
IUiRequests* g_requests = nullptr;
}  // namespace

IUiRequests* SetUiRequests(IUiRequests* requests) {
    IUiRequests* previous = g_requests;
    g_requests = requests;
    return previous;
}

IUiRequests* GetUiRequests() {
    return g_requests;
}

bool SendMessageBoxReply(uint32_t boxId, const char* answer) {
    if (!g_requests) return false;
    g_requests->SendMessageBoxReply(boxId, answer ? answer : "");
    return true;
}

bool SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) {
    if (!g_requests) return false;
    g_requests->SendItemDrop(slot, count, value);
    return true;
}
