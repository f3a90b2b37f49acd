#include "net/firewall.h"

bool CFirewallCheck::IsFirewallAuthorized() {
    return !m_failed;
}

void CFirewallCheck::AddFirewallException() {}

void EnsureFirewallException() {
    CFirewallCheck check;
    if (!check.IsFirewallAuthorized()) check.AddFirewallException();
}
