// The automation object of one tab: what the add-on reads and drives through IWebBrowser2. It
// borrows its tab, which detaches it before going away; a detached object fails every call.
#pragma once

#include "web_browser_stubs.h"

class CBrowserTab;

class CWebBrowser : public CWebBrowserStubs
{
public:
    explicit CWebBrowser(CBrowserTab* pTab);

    CWebBrowser(const CWebBrowser&) = delete;
    CWebBrowser& operator=(const CWebBrowser&) = delete;

    void Detach() { m_pTab = nullptr; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

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
};
