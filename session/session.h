#pragma once

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "session/instance_set.h"

// A named, time-stamped list of browser windows.
class CSession
{
public:
    CSession(const wchar_t* pszName, std::time_t time) : m_strName(pszName ? pszName : L""), m_time(time) {}
    CSession(const std::wstring& strName, std::time_t time) : m_strName(strName), m_time(time) {}
    virtual ~CSession() = default;

    CSession(const CSession&) = default;
    CSession& operator=(const CSession&) = default;
    CSession(CSession&&) noexcept = default;
    CSession& operator=(CSession&&) noexcept = default;

    const std::wstring& GetName() const { return m_strName; }
    void SetName(const std::wstring& strName) { m_strName = strName; }
    std::time_t GetTime() const { return m_time; }

    void AddInstanceSet(const CInstanceSet& set) { m_instanceSets.push_back(set); }
    void AddInstanceSet(CInstanceSet&& set) { m_instanceSets.push_back(std::move(set)); }
    // Room for nCount more windows, so that a known number of them is added without regrowing.
    void ReserveInstanceSets(int nCount);
    int GetInstanceSetsCount() const { return static_cast<int>(m_instanceSets.size()); }
    // Null when nIndex is out of range.
    const CInstanceSet* GetInstanceSet(int nIndex) const;
    // All tabs of all windows.
    int GetUrlItemsCount() const;

private:
    std::wstring m_strName;
    std::time_t m_time;
    std::vector<CInstanceSet> m_instanceSets;
};

// The name the system gives the session it captures from the browser.
extern const wchar_t kCurrentSessionName[];
