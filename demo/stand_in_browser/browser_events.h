// The connection point of a tab's browser object for DWebBrowserEvents2: add-ons connect their
// sinks here and get the events the browser fires. It lives inside the browser object and shares
// its reference count, so a sink holding it keeps the browser object, not the other way round.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "demo/stand_in_browser/com_ref.h"
#include "demo/stand_in_browser/com_stubs.h"

class CBrowserEvents : public IConnectionPoint
{
public:
    // The owner's IUnknown counts the references; pContainer is the owner's container interface.
    CBrowserEvents(IUnknown& owner, IConnectionPointContainer& container)
        : m_owner(owner), m_container(container)
    {
    }
    ~CBrowserEvents() { DisconnectAll(); }
    CBrowserEvents(const CBrowserEvents&) = delete;
    CBrowserEvents& operator=(const CBrowserEvents&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryFromTable(riid, ppv, {{&IID_IUnknown, this}, {&IID_IConnectionPoint, this}});
    }
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* pIid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppContainer) override;
    STDMETHODIMP Advise(IUnknown* pSink, DWORD* pdwCookie) override;
    STDMETHODIMP Unadvise(DWORD dwCookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

    // Fired as the browser fires them: to every sink connected when the event starts.
    void FireDocumentComplete(IDispatch* pBrowser, const std::wstring& strUrl);
    void FireOnQuit();
    // Lets every sink go: the browser object is leaving.
    void DisconnectAll();

private:
    struct CConnection
    {
        DWORD dwCookie;
        CComRef<IDispatch> spSink;
    };

    void Fire(DISPID nDispId, DISPPARAMS& params);

    IUnknown& m_owner;
    IConnectionPointContainer& m_container;
    std::vector<CConnection> m_connections;
    DWORD m_dwLastCookie = 0;
};
