// The requests the windows send to the server themselves: a server-opened
// message box's answer and an item dropped on the ground. The game session
// sits beside the window layer, so this is an interface the program installs
// at start-up; while it is absent nothing is sent.
#pragma once
#include <cstdint>

#include "platform/seam.h"

class IUiRequests {
public:
    virtual ~IUiRequests() = default;
    // The answer text of the server box with that id.
    virtual void SendMessageBoxReply(uint32_t boxId, const char* answer) = 0;
    // Drops count pieces of the item in the bag slot (value: the player's id).
    virtual void SendItemDrop(uint8_t slot, uint16_t count, uint32_t value) = 0;
};

// Install (null removes); not owned. Returns the previous one.
IUiRequests* SetUiRequests(IUiRequests* requests);
IUiRequests* GetUiRequests();
using ScopedUiRequests = plat::ScopedInstall<GetUiRequests, SetUiRequests>;

// Shorthands: nothing is sent without the service; false then.
bool SendMessageBoxReply(uint32_t boxId, const char* answer);
bool SendItemDrop(uint8_t slot, uint16_t count, uint32_t value);
