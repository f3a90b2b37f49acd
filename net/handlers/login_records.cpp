#include "net/handlers/login_records.h"

#include "core/util.h"

void CCharListMsg::SetAccount(const char* account) {
    CopyDbcsPrefix(account ? account : "", ACCOUNT_SIZE - 1, m_account, ACCOUNT_SIZE);
}

bool CCharListMsg::AddChar(const CCharListEntry& entry) {
    if (m_count >= MAX_CHARS) return false;
    m_entries[m_count++] = entry;
    return true;
}
