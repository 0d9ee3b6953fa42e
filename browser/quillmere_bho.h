// The add-on's one COM class. The browser makes one object for every browser window (as a Browser
// Helper Object) and one for the Tools-menu command, and sites each. The object keeps its site's
// web browser and command target and stays connected to the browser's events; its only action is
// the command, Exec: capture every open browser window and tab, show the session manager with
// them, and open the session the user loads.
//
// The capture and the opening take from the object only the member they need (the accessibility
// library, the site's browser), so both also work on an object that was never sited.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>

#include <vector>

#include "browser/quillmere_idl.h"
#include "browser/web_browser_event_sink.h"
#include "session/session.h"
#include "win/com.h"
#include "win/com_object_root.h"
#include "win/dispatch_impl.h"
#include "win/object_with_site_impl.h"

struct IHTMLDocument2;

class CQuillmereBHO : public CComObjectRoot,
                      public CObjectWithSiteImpl,
                      public CDispatchImpl<IQuillmereBHO>,
                      public IOleCommandTarget
{
public:
    CQuillmereBHO() = default;
    ~CQuillmereBHO() override;

    // The class factory's way of making an object: a new one, asked for riid.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite: with a site, keeps its web browser and command target and connects to the
    // browser's events (once); without one, disconnects and lets both go.
    STDMETHODIMP SetSite(IUnknown* pUnkSite) override;

    // IOleCommandTarget: status queries go to the site's command target; Exec runs the command
    // whatever its arguments.
    STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                             OLECMDTEXT* pCmdText) override;
    STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                      VARIANT* pvaOut) override;

    // Capture: one instance set per browser frame window that gave at least one document, one URL
    // item per tab whose address and title could be read; processes, then frames, then tabs, in
    // the system's order. Throws when a tab answers while the accessibility library is missing;
    // what was captured until then stays in the session. Virtual so that a capture failing
    // part-way can be staged.
    virtual void GetCurrentSessionUrls(CSession& session);
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

    // The browser's events, connected while m_bAdvised is true.
    CWebBrowserEventSink m_webBrowserEvents;
    bool m_bAdvised = false;
    // The browser of the site: the tab or window the object belongs to.
    CComPtr<IWebBrowser2> m_spWebBrowser;
    // The site's own command target, which answers the status queries.
    CComPtr<IOleCommandTarget> m_spSiteCommandTarget;
    // "OLEACC.DLL", loaded at the first command and kept; freed with the object.
    HMODULE m_hActiveAccessibilityLibraryInst = nullptr;

private:
    // Exec's steps; may throw only what the caller turns into a result code.
    HRESULT RunCommand();
    // Disconnects the browser's events if the sink is connected, and clears m_bAdvised.
    void DisconnectEvents();
    // Loads the accessibility library unless a command already did; false when it cannot be.
    bool LoadAccessibilityLibrary();
    // The main dialog over the current session, and the opening of what the user loaded.
    void ShowSessionManager(CSession& currentSession);
};
