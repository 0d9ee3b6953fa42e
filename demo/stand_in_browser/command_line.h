// The stand-in's command line (see stand_in_protocol.h), read into windows and tabs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CTabSetup
{
    std::wstring strUrl;
    std::wstring strTitle;
    bool bHang = false;
    bool bRefuse = false;
    bool bNoTitle = false;
    bool bRemote = false;
};

struct CWindowSetup
{
    std::vector<CTabSetup> tabs;
};

// "URL|TITLE|MODES". False, with the reason, for an unknown mode.
bool ParseTabSetup(const std::wstring& strItem, CTabSetup& tab, std::wstring& strError);
// The same text back, for the command line of a tab host.
std::wstring FormatTabSetup(const CTabSetup& tab);

class CCommandLine
{
public:
    // False, with the reason, when the command line cannot be used.
    bool Parse(const std::vector<std::wstring>& args, std::wstring& strError);

    std::wstring m_strLogFile;
    std::vector<std::wstring> m_failingUrls;
    bool m_bEmbedding = false;
    DWORD m_dwOwner = 0;
    std::wstring m_strTool;
    std::vector<CWindowSetup> m_windows;

    // Tab host: the second process of a "remote" tab.
    bool m_bTabHost = false;
    HWND m_hTabHostParent = nullptr;
    DWORD m_dwTabHostOwner = 0;
    CTabSetup m_tabHostTab;

private:
    bool AddItem(const std::wstring& strItem, std::wstring& strError);
};
