// The stand-in browser process: its frame windows, its log, its start page, and the class object
// through which automation makes new windows.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "demo/stand_in_browser/command_line.h"
#include "demo/stand_in_browser/event_log.h"

class CBrowserFrame;

class CBrowserApp
{
public:
    explicit CBrowserApp(const CCommandLine& commandLine);
    ~CBrowserApp();
    CBrowserApp(const CBrowserApp&) = delete;
    CBrowserApp& operator=(const CBrowserApp&) = delete;

    // Makes the windows of the command line, serves the class object when asked to, and runs
    // until the last window closes (or, when serving, until the process is ended).
    int Run();

    CEventLog& Log() { return m_log; }
    const std::wstring& StartPage() const { return m_strStartPage; }
    bool IsFailingUrl(const std::wstring& strUrl) const
    {
        const std::vector<std::wstring>& failing = m_commandLine.m_failingUrls;
        return std::find(failing.begin(), failing.end(), strUrl) != failing.end();
    }

    // A new frame window; null when it could not be made.
    CBrowserFrame* NewFrame(const CWindowSetup& window, bool bFromCom);
    void OnFrameDestroyed();
    void ReleaseHungTabs()
    {
        if (m_hRelease)
            SetEvent(m_hRelease);
    }

private:
    const CCommandLine& m_commandLine;
    CEventLog m_log;
    std::wstring m_strStartPage;
    HANDLE m_hRelease = nullptr;
    std::vector<std::unique_ptr<CBrowserFrame>> m_frames;
    int m_nOpenFrames = 0;
    DWORD m_dwClassCookie = 0;
};

// The second process of a remote tab: one content window, a child of a window of the owning
// process, kept until that window or that process goes.
int RunTabHost(const CCommandLine& commandLine);
