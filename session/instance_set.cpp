#include "instance_set.h"

const CUrlItem* CInstanceSet::GetUrlItem(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetUrlItemsCount())
        return nullptr;
    return &m_urlItems[static_cast<size_t>(nIndex)];
}
