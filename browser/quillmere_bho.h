// The add-on's helper object. So far it holds the capture of every open browser window and tab
// and the opening of a session in the browser; each takes from the object only the member it
// needs (the accessibility library, the site's browser), so both work before the object is sited.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>

#include <vector>

#include "com.h"
#include "session.h"

struct IHTMLDocument2;

class CQuillmereBHO
{
public:
    CQuillmereBHO() = default;
    ~CQuillmereBHO();
    CQuillmereBHO(const CQuillmereBHO&) = delete;
    CQuillmereBHO& operator=(const CQuillmereBHO&) = delete;

    // Capture: one instance set per browser frame window that gave at least one document, one URL
    // item per tab whose address and title could be read; processes, then frames, then tabs, in
    // the system's order. Throws when a tab answers while the accessibility library is missing;
    // what was captured until then stays in the session.
    void GetCurrentSessionUrls(CSession& session);
    void GetHtmlDocuments(const std::vector<HWND>& serverWindows,
                          std::vector<CComPtr<IHTMLDocument2>>& documents);
    // The number of running "iexplore.exe" processes; their ids appended when a list is given.
    static int GetBrowserProcessIds(std::vector<DWORD>* pProcessIds = nullptr);
    // Every "Internet Explorer_Server" window below the frame, at any depth.
    static void GetServerWindows(HWND hFrame, std::vector<HWND>& serverWindows);
    static BOOL CALLBACK EnumFrameWindowsProc(HWND hWnd, LPARAM lParam);
    static BOOL CALLBACK EnumServerWindowsProc(HWND hWnd, LPARAM lParam);

    // Opening: the first instance set in the invoking browser when fewer than 4 tabs were open,
    // every other one in a new browser window. Owns and destroys the session; reports every
    // failure in a message box.
    void OpenUrls(CSession* pSession, int nCurrentTabCount);
    void OpenUrlsInCurrentWindow(CComPtr<IWebBrowser2>& spWebBrowser, const CUrlItem* pUrlItems,
                                 int nUrlItems);
    // The result of the last browser call: S_OK, or the failure that stopped the window.
    HRESULT OpenUrlsInNewWindow(const CUrlItem* pUrlItems, int nUrlItems);

    // The browser of the site: the tab or window the object belongs to.
    CComPtr<IWebBrowser2> m_spWebBrowser;
    // "OLEACC.DLL", loaded at the first command and kept; freed with the object.
    HMODULE m_hActiveAccessibilityLibraryInst = nullptr;
};
