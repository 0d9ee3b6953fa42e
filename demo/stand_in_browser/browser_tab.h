// One tab of a frame window: its tab window (hidden while the tab is in the background), a view
// below it, and the "Internet Explorer_Server" window below that. The content window lives on
// the frame's thread, on a thread of its own when the tab hangs (so that only this tab stops
// answering), or in a second process for a remote tab.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "demo/stand_in_browser/command_line.h"
#include "demo/stand_in_browser/tab_content.h"
#include "demo/stand_in_browser/web_browser.h"

class CBrowserFrame;

class CBrowserTab
{
public:
    CBrowserTab(CBrowserFrame& frame, const CTabSetup& setup);
    ~CBrowserTab();
    CBrowserTab(const CBrowserTab&) = delete;
    CBrowserTab& operator=(const CBrowserTab&) = delete;

    static bool RegisterWindowClasses();

    // Creates the windows below hParent, hidden. False when the content window did not appear.
    bool Create(HWND hParent);
    void Show(bool bShow) { ShowWindow(m_hTabWindow, bShow ? SW_SHOWNA : SW_HIDE); }

    CBrowserFrame& Frame() { return m_frame; }
    HWND ServerWindow() const { return m_hServer; }
    // The tab's automation object; null for a tab that hangs or lives in another process.
    IWebBrowser2* WebBrowser() const { return m_pWebBrowser; }
    const std::wstring& Url() const { return m_spContent ? m_spContent->Url() : m_setup.strUrl; }
    const std::wstring& Title() const
    {
        return m_spContent ? m_spContent->Title() : m_setup.strTitle;
    }
    // Replaces the page (tabs of this process only).
    void SetPage(const std::wstring& strUrl)
    {
        if (m_spContent)
            m_spContent->SetPage(strUrl);
    }
    // The browser events of this tab; nothing for a tab without an automation object.
    void FireDocumentComplete()
    {
        if (m_pWebBrowser)
            m_pWebBrowser->FireDocumentComplete();
    }
    void FireOnQuit()
    {
        if (m_pWebBrowser)
            m_pWebBrowser->FireOnQuit();
    }

private:
    bool CreateRemoteContent();
    bool CreateHungContent();

    CBrowserFrame& m_frame;
    const CTabSetup m_setup;
    HWND m_hTabWindow = nullptr;
    HWND m_hView = nullptr;
    HWND m_hServer = nullptr;
    std::unique_ptr<CTabContent> m_spContent;
    CWebBrowser* m_pWebBrowser = nullptr; // one reference, held for the tab's life
    std::thread m_hungThread;
    DWORD m_dwHungThreadId = 0;
    HANDLE m_hHostProcess = nullptr;
};
