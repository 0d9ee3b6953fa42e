// A stand-in browser process as a test or a benchmark uses it: started with its log in a folder of
// its own, waited for until it is ready, read through its log, and ended, together with every
// process it started, when the object goes (also when the test has failed).
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <string>
#include <vector>

#include "demo/stand_in_browser/stand_in_protocol.h"

class CStandInBrowser
{
public:
    enum class EName
    {
        Browser,  // iexplore.exe
        Capitals, // the same program as IEXPLORE.EXE
    };

    CStandInBrowser() = default;
    ~CStandInBrowser();
    CStandInBrowser(const CStandInBrowser&) = delete;
    CStandInBrowser& operator=(const CStandInBrowser&) = delete;

    // Starts it with these arguments (its log, and this process as its owner, are added) and waits
    // until it is ready. False, with Error() saying why, when it did not get there.
    bool Start(const std::vector<std::wstring>& args, EName name = EName::Browser);
    // Asks it to end in order, and ends it when it does not.
    void End();

    DWORD ProcessId() const { return m_dwProcessId; }
    const std::wstring& Error() const { return m_strError; }

    // The log as written so far: the whole text, and its lines split into fields.
    std::string LogText() const;
    std::vector<std::vector<std::wstring>> LogLines() const;
    // The lines of one kind, each without its first field, joined with spaces ("1 inplace http://a/
    // ok").
    std::vector<std::wstring> Events(const wchar_t* pszKind) const;

    // Frame window n (from 1) and the "Internet Explorer_Server" windows of its tabs, as logged.
    HWND Window(int nWindow) const;
    std::vector<HWND> Tabs(int nWindow) const;

private:
    // The window handles of the log lines of one kind (window, tab) for frame window n.
    std::vector<HWND> Logged(const wchar_t* pszKind, int nWindow) const;

    std::wstring m_strFolder;
    std::wstring m_strLogFile;
    HANDLE m_hProcess = nullptr;
    DWORD m_dwProcessId = 0;
    DWORD m_dwThreadId = 0;
    std::wstring m_strError;
};

// The automation object of a tab of a stand-in, through the stand-in's own message. False, and
// null, when the tab has none.
bool StandInWebBrowser(HWND hServer, IWebBrowser2** ppWebBrowser);

// Ends every browser process below this one: the safety net of a test's clean-up, for anything a
// failed test left running (a browser that automation started, for one).
void EndBrowserProcesses();

// Sets or removes the browser's "Start Page" value for one test and puts back what was there.
class CStartPageSetting
{
public:
    CStartPageSetting();
    ~CStartPageSetting();
    CStartPageSetting(const CStartPageSetting&) = delete;
    CStartPageSetting& operator=(const CStartPageSetting&) = delete;

    bool Set(const std::wstring& strUrl);
    // Bytes as they are, of binary type: text without a terminating zero that any reader gets.
    bool SetBinary(const std::string& strBytes);
    bool Remove();

private:
    bool m_bHadValue = false;
    DWORD m_dwType = 0;
    std::vector<BYTE> m_oldValue;
};
