// The start-up step that makes sure incoming connections reach the client.
// This system keeps no list of authorised programs, so the program always
// counts as authorised and there is nothing to add; the step keeps its place
// in start-up (construct, ask, add when not authorised, destroy).
#pragma once

class CFirewallCheck {
public:
    CFirewallCheck() = default;
    ~CFirewallCheck() = default;
    CFirewallCheck(const CFirewallCheck&) = delete;
    CFirewallCheck& operator=(const CFirewallCheck&) = delete;

    // True when the program may accept connections.
    bool IsFirewallAuthorized();
    // Registers the program; nothing to do here.
    void AddFirewallException();
    // Whether a step failed (every later step then does nothing).
    bool Failed() const { return m_failed; }

private:
    bool m_failed = false;
};

// The whole start-up step.
void EnsureFirewallException();
