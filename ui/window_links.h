// Windows that work with another window of the game's set take it here: a
// chat window's edit boxes their window, the chat input and headword windows
// the chat message window and it both of them, the emoticon window the chat
// macro window. The set calls LinkWindow once per link, in its own order.
#pragma once

class CBaseWindow;

class IWindowLink {
public:
    virtual ~IWindowLink() = default;
    virtual void LinkWindow(CBaseWindow* other) = 0;
};
