// The automation object of one tab: what the add-on reads and drives through IWebBrowser2. It is
// also the site the browser gives its add-ons: it offers itself as a service, passes command
// status queries, and fires DWebBrowserEvents2 to the sinks connected to it. It borrows its tab,
// which detaches it before going away; a detached object fails every call and lets its sinks go.
#pragma once

#include <docobj.h>
#include <ocidl.h>
#include <servprov.h>

#include "demo/stand_in_browser/browser_events.h"
#include "demo/stand_in_browser/com_stubs.h"

class CBrowserTab;

class CWebBrowser : public CWebBrowserStubs,
                    public IServiceProvider,
                    public IOleCommandTarget,
                    public IConnectionPointContainer
{
public:
    explicit CWebBrowser(CBrowserTab* pTab);

    CWebBrowser(const CWebBrowser&) = delete;
    CWebBrowser& operator=(const CWebBrowser&) = delete;

    void Detach();

    // Events, fired from the tab's thread as the browser fires them.
    void FireDocumentComplete();
    void FireOnQuit();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryBrowser(riid, ppv,
                            {{&IID_IServiceProvider, static_cast<IServiceProvider*>(this)},
                             {&IID_IOleCommandTarget, static_cast<IOleCommandTarget*>(this)},
                             {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
    }
    QLMR_COUNTED_REFS

    // IServiceProvider: the browser itself, as SID_SWebBrowserApp.
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // IOleCommandTarget: the browser's own commands, of which the stand-in has none.
    STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                             OLECMDTEXT* pCmdText) override;
    STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD, DWORD, VARIANT*, VARIANT*) override
    {
        return pguidCmdGroup ? OLECMDERR_E_UNKNOWNGROUP : OLECMDERR_E_NOTSUPPORTED;
    }

    // IConnectionPointContainer: DWebBrowserEvents2 only.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override
    {
        if (ppEnum)
            *ppEnum = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint) override;

    // IWebBrowser
    STDMETHODIMP Navigate(BSTR bstrUrl, VARIANT* pvFlags, VARIANT* pvTargetFrame,
                          VARIANT* pvPostData, VARIANT* pvHeaders) override;
    STDMETHODIMP get_LocationName(BSTR* pbstrName) override;
    STDMETHODIMP get_LocationURL(BSTR* pbstrUrl) override;

    // IWebBrowserApp
    STDMETHODIMP Quit() override;
    STDMETHODIMP get_HWND(SHANDLE_PTR* pHwnd) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL* pbVisible) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL bVisible) override;

private:
    ~CWebBrowser() override = default;

    LONG m_nRefs = 1;
    CBrowserTab* m_pTab;
    CBrowserEvents m_events;
};
