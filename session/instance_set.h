#pragma once

#include <utility>
#include <vector>

#include "session/url_item.h"

// One browser window: its tabs in the order they were added.
class CInstanceSet
{
public:
    CInstanceSet() = default;
    virtual ~CInstanceSet() = default;

    CInstanceSet(const CInstanceSet&) = default;
    CInstanceSet& operator=(const CInstanceSet&) = default;
    CInstanceSet(CInstanceSet&&) noexcept = default;
    CInstanceSet& operator=(CInstanceSet&&) noexcept = default;

    void AddUrlItem(const CUrlItem& item) { m_urlItems.push_back(item); }
    void AddUrlItem(CUrlItem&& item) { m_urlItems.push_back(std::move(item)); }
    // Room for nCount more tabs, so that a known number of them is added without regrowing.
    void ReserveUrlItems(int nCount);
    int GetUrlItemsCount() const { return static_cast<int>(m_urlItems.size()); }
    // Null when nIndex is out of range.
    const CUrlItem* GetUrlItem(int nIndex) const;
    const std::vector<CUrlItem>& GetUrlItems() const { return m_urlItems; }

private:
    std::vector<CUrlItem> m_urlItems;
};
