// A registry key opened for reading, closed when it goes; a null key when it cannot be opened.
// Header only, so that the stand-in browser, which links nothing of the product, can use it too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CRegistryKey
{
public:
    CRegistryKey(HKEY hParent, const std::wstring& strPath)
    {
        if (RegOpenKeyExW(hParent, strPath.c_str(), 0, KEY_READ, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CRegistryKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    operator HKEY() const { return m_hKey; }

    // The names of the subkeys, in the order the registry gives them.
    std::vector<std::wstring> SubkeyNames() const
    {
        std::vector<std::wstring> names;
        for (DWORD i = 0;; ++i)
        {
            wchar_t szName[256] = L"";
            DWORD cchName = ARRAYSIZE(szName);
            if (!m_hKey ||
                RegEnumKeyExW(m_hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.emplace_back(szName, cchName);
        }
        return names;
    }

    // A string value of a subkey; empty when it is missing or no string.
    std::wstring Text(const std::wstring& strSubkey, const wchar_t* pszValue) const
    {
        wchar_t szValue[1024] = L"";
        DWORD cbValue = sizeof(szValue);
        if (RegGetValueW(m_hKey, strSubkey.c_str(), pszValue, RRF_RT_REG_SZ, nullptr, szValue, &cbValue) !=
            ERROR_SUCCESS)
            return std::wstring();
        return szValue;
    }

private:
    HKEY m_hKey = nullptr;
};
