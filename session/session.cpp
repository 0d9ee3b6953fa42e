#include "session/session.h"

const wchar_t kCurrentSessionName[] = L"[Current Session]";

void CSession::ReserveInstanceSets(int nCount)
{
    if (nCount > 0)
        m_instanceSets.reserve(m_instanceSets.size() + static_cast<size_t>(nCount));
}

const CInstanceSet* CSession::GetInstanceSet(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetInstanceSetsCount())
        return nullptr;
    return &m_instanceSets[static_cast<size_t>(nIndex)];
}

int CSession::GetUrlItemsCount() const
{
    int nCount = 0;
    for (const CInstanceSet& set : m_instanceSets)
        nCount += set.GetUrlItemsCount();
    return nCount;
}
