// A top-level browser window of class "IEFrame": a tab strip with one tab window per tab, of which
// only the selected one is shown.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "demo/stand_in_browser/command_line.h"
#include "demo/stand_in_browser/frame_add_ons.h"

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
    // The command id of the Tools item with this text; false when there is none.
    bool FindTool(const std::wstring& strMenuText, UINT& nCommand) const
    {
        return m_addOns.FindTool(strMenuText, nCommand);
    }

    void SetVisible(bool bVisible);
    // Opens the URL in the tab, or in a new selected tab. Logs the request and its outcome.
    HRESULT Navigate(CBrowserTab& tab, const std::wstring& strUrl, bool bNewTab);

private:
    CBrowserTab* AddTab(const CTabSetup& setup);
    void Select(CBrowserTab* pTab);
    // The browser object add-ons are sited with: that of the selected tab (else the first tab's),
    // or, for a window whose tabs all live elsewhere, that of the first tab that has one.
    IUnknown* SiteBrowser(bool bSelected) const;
    void PostDocumentComplete(const CBrowserTab* pTab);
    void OnDocumentComplete(size_t nTab);
    // The window is going: its browsers say so to their sinks, then the add-ons are let go.
    void OnClosing();
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    CBrowserApp& m_app;
    const int m_nNumber;
    HWND m_hWnd = nullptr;
    HWND m_hStrip = nullptr;
    std::vector<std::unique_ptr<CBrowserTab>> m_tabs;
    CBrowserTab* m_pSelected = nullptr;
    // Released before the tabs, whose browser objects the add-ons hold.
    CFrameAddOns m_addOns;
    bool m_bClosing = false;
};
