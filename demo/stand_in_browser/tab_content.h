// The window of class "Internet Explorer_Server" that shows one tab's page. It answers
// "WM_HTML_GETOBJECT" with the tab's document, and the stand-in's own message with the tab's
// browser object. A tab told to hang blocks in the handler until it is released.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <string>

#include "demo/stand_in_browser/command_line.h"

class CTabContent
{
public:
    explicit CTabContent(const CTabSetup& setup);
    ~CTabContent();
    CTabContent(const CTabContent&) = delete;
    CTabContent& operator=(const CTabContent&) = delete;

    static bool RegisterWindowClass();
    // What hung tabs wait for before they answer: signalled when the process winds down.
    static void SetReleaseHandle(HANDLE hRelease);

    // Creates the window, on the calling thread, filling its parent.
    bool Create(HWND hParent, bool bQuitOnDestroy);
    HWND Hwnd() const { return m_hWnd; }

    const std::wstring& Url() const { return m_setup.strUrl; }
    const std::wstring& Title() const { return m_setup.strTitle; }
    // A navigation: the new page's title is unknown until it loads, which here it never does.
    void SetPage(const std::wstring& strUrl);

    // Borrowed; the tab that owns both clears it before the browser object goes.
    void SetWebBrowser(IWebBrowser2* pWebBrowser) { m_pWebBrowser = pWebBrowser; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnHtmlGetObject(WPARAM wParam);
    LRESULT OnGetWebBrowser(WPARAM wParam);
    void OnPaint();

    CTabSetup m_setup;
    HWND m_hWnd = nullptr;
    bool m_bQuitOnDestroy = false;
    IWebBrowser2* m_pWebBrowser = nullptr;
};
