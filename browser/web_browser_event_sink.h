// The receiver of a browser's DWebBrowserEvents2, connected through the browser's connection
// point. It takes no action on any event; being connected is what the browser expects of a helper
// object. It counts no references: it lives inside its owner, which disconnects it before going
// away, so the browser's reference cannot keep the owner alive in a cycle.
#pragma once

#include <windows.h>
#include <oaidl.h>

class CWebBrowserEventSink : public IDispatch
{
public:
    CWebBrowserEventSink() = default;
    virtual ~CWebBrowserEventSink() = default;
    CWebBrowserEventSink(const CWebBrowserEventSink&) = delete;
    CWebBrowserEventSink& operator=(const CWebBrowserEventSink&) = delete;

    // Connects to the source's DWebBrowserEvents2 connection point and keeps the cookie.
    HRESULT Advise(IUnknown* pSource);
    // Disconnects with the kept cookie; the cookie is cleared whatever the source answers.
    HRESULT Unadvise(IUnknown* pSource);
    bool IsConnected() const { return m_dwCookie != 0; }

    // IUnknown: the sink's own identity, answering IUnknown, IDispatch and DWebBrowserEvents2.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: events arrive through Invoke by dispatch id; there is no type information.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;

private:
    DWORD m_dwCookie = 0;
};
