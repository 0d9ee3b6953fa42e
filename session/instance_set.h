#pragma once

#include <vector>

#include "url_item.h"

// One browser window: its tabs in the order they were added.
class CInstanceSet
{
public:
    CInstanceSet() = default;
    virtual ~CInstanceSet() = default;

    CInstanceSet(const CInstanceSet&) = default;
    CInstanceSet& operator=(const CInstanceSet&) = default;

    void AddUrlItem(const CUrlItem& item) { m_urlItems.push_back(item); }
    int GetUrlItemsCount() const { return static_cast<int>(m_urlItems.size()); }
    // Null when nIndex is out of range.
    const CUrlItem* GetUrlItem(int nIndex) const;
    const std::vector<CUrlItem>& GetUrlItems() const { return m_urlItems; }

private:
    std::vector<CUrlItem> m_urlItems;
};
