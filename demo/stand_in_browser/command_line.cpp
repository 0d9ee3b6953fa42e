#include "demo/stand_in_browser/command_line.h"

#include <sstream>

#include "demo/stand_in_browser/text_fields.h"

bool ParseTabSetup(const std::wstring& strItem, CTabSetup& tab, std::wstring& strError)
{
    const std::vector<std::wstring> parts = Split(strItem, L'|');
    tab = CTabSetup();
    tab.strUrl = parts[0];
    if (parts.size() > 1)
        tab.strTitle = parts[1];
    if (parts.size() > 2 && !parts[2].empty())
    {
        for (const std::wstring& strMode : Split(parts[2], L','))
        {
            if (strMode == L"hang")
                tab.bHang = true;
            else if (strMode == L"refuse")
                tab.bRefuse = true;
            else if (strMode == L"notitle")
                tab.bNoTitle = true;
            else if (strMode == L"remote")
                tab.bRemote = true;
            else
            {
                strError = L"unknown tab mode: " + strMode;
                return false;
            }
        }
    }
    if (parts.size() > 3)
    {
        strError = L"too many fields in tab: " + strItem;
        return false;
    }
    return true;
}

std::wstring FormatTabSetup(const CTabSetup& tab)
{
    std::wstring strModes;
    const auto add = [&](bool bOn, const wchar_t* pszMode) {
        if (!bOn)
            return;
        if (!strModes.empty())
            strModes += L',';
        strModes += pszMode;
    };
    add(tab.bHang, L"hang");
    add(tab.bRefuse, L"refuse");
    add(tab.bNoTitle, L"notitle");
    add(tab.bRemote, L"remote");
    return tab.strUrl + L'|' + tab.strTitle + L'|' + strModes;
}

bool CCommandLine::Parse(const std::vector<std::wstring>& args, std::wstring& strError)
{
    m_windows.assign(1, CWindowSetup());
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::wstring& strArg = args[i];
        const bool bHasValue = i + 1 < args.size();
        if (strArg == L"-tabhost")
        {
            if (i + 3 >= args.size())
            {
                strError = L"-tabhost needs a parent window, an owner process and a tab";
                return false;
            }
            m_bTabHost = true;
            m_hTabHostParent =
                reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(args[i + 1])));
            m_dwTabHostOwner = static_cast<DWORD>(std::stoul(args[i + 2]));
            return ParseTabSetup(args[i + 3], m_tabHostTab, strError);
        }
        if (strArg == L"-log" && bHasValue)
            m_strLogFile = args[++i];
        else if (strArg == L"-owner" && bHasValue)
            m_dwOwner = static_cast<DWORD>(std::stoul(args[++i]));
        else if (strArg == L"-fail" && bHasValue)
            m_failingUrls.push_back(args[++i]);
        else if (strArg == L"-tool" && bHasValue)
            m_strTool = args[++i];
        else if (strArg == L"-Embedding" || strArg == L"/Embedding")
            m_bEmbedding = true;
        else if (!AddItem(strArg, strError))
            return false;
    }
    return true;
}

bool CCommandLine::AddItem(const std::wstring& strItem, std::wstring& strError)
{
    if (strItem == L"-window")
    {
        m_windows.emplace_back();
        return true;
    }
    if (!strItem.empty() && strItem[0] == L'-')
    {
        strError = L"unknown option: " + strItem;
        return false;
    }
    CTabSetup tab;
    if (!ParseTabSetup(strItem, tab, strError))
        return false;
    m_windows.back().tabs.push_back(tab);
    return true;
}
