#include "session/instance_set.h"

void CInstanceSet::ReserveUrlItems(int nCount)
{
    if (nCount > 0)
        m_urlItems.reserve(m_urlItems.size() + static_cast<size_t>(nCount));
}

const CUrlItem* CInstanceSet::GetUrlItem(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetUrlItemsCount())
        return nullptr;
    return &m_urlItems[static_cast<size_t>(nIndex)];
}
