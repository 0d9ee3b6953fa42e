// A top-level browser window of class "IEFrame": a tab strip with one tab window per tab, of which
// only the selected one is shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "command_line.h"

class CBrowserApp;
class CBrowserTab;

class CBrowserFrame
{
public:
    CBrowserFrame(CBrowserApp& app, int nNumber);
    ~CBrowserFrame();
    CBrowserFrame(const CBrowserFrame&) = delete;
    CBrowserFrame& operator=(const CBrowserFrame&) = delete;

    static bool RegisterWindowClass();

    // Makes the window and its tabs, and logs them. bFromCom: made through automation, hidden
    // until asked to show itself.
    bool Create(const CWindowSetup& window, bool bFromCom);

    HWND Hwnd() const { return m_hWnd; }
    int Number() const { return m_nNumber; }
    CBrowserTab* FirstTab() { return m_tabs.empty() ? nullptr : m_tabs.front().get(); }

    void SetVisible(bool bVisible);
    // Opens the URL in the tab, or in a new selected tab. Logs the request and its outcome.
    HRESULT Navigate(CBrowserTab& tab, const std::wstring& strUrl, bool bNewTab);

private:
    CBrowserTab* AddTab(const CTabSetup& setup);
    void Select(CBrowserTab* pTab);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    CBrowserApp& m_app;
    const int m_nNumber;
    HWND m_hWnd = nullptr;
    HWND m_hStrip = nullptr;
    std::vector<std::unique_ptr<CBrowserTab>> m_tabs;
    CBrowserTab* m_pSelected = nullptr;
};
