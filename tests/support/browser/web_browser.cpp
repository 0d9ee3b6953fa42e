#include "web_browser.h"

#include <string>

#include "browser_frame.h"
#include "browser_tab.h"

namespace
{
HRESULT CopyToBstr(const std::wstring& strText, BSTR* pbstr)
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = SysAllocStringLen(strText.data(), static_cast<UINT>(strText.size()));
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

// The flags as the browser reads them: any integer variant; empty, missing or absent means none.
LONG FlagsOf(const VARIANT* pvFlags)
{
    if (!pvFlags || V_VT(pvFlags) == VT_EMPTY || V_VT(pvFlags) == VT_ERROR ||
        V_VT(pvFlags) == VT_NULL)
        return 0;
    VARIANT v;
    VariantInit(&v);
    if (FAILED(VariantChangeType(&v, const_cast<VARIANT*>(pvFlags), 0, VT_I4)))
        return 0;
    return V_I4(&v);
}
} // namespace

CWebBrowser::CWebBrowser(CBrowserTab* pTab) : m_pTab(pTab)
{
}

STDMETHODIMP CWebBrowser::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IWebBrowser ||
        riid == IID_IWebBrowserApp || riid == IID_IWebBrowser2)
    {
        *ppv = static_cast<IWebBrowser2*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CWebBrowser::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

STDMETHODIMP_(ULONG) CWebBrowser::Release()
{
    const LONG nRefs = InterlockedDecrement(&m_nRefs);
    if (nRefs == 0)
        delete this;
    return static_cast<ULONG>(nRefs);
}

STDMETHODIMP CWebBrowser::Navigate(BSTR bstrUrl, VARIANT* pvFlags, VARIANT*, VARIANT*, VARIANT*)
{
    if (!m_pTab)
        return E_FAIL;
    const std::wstring strUrl(bstrUrl ? bstrUrl : L"", bstrUrl ? SysStringLen(bstrUrl) : 0);
    const bool bNewTab = (FlagsOf(pvFlags) & navOpenInNewTab) != 0;
    return m_pTab->Frame().Navigate(*m_pTab, strUrl, bNewTab);
}

STDMETHODIMP CWebBrowser::get_LocationName(BSTR* pbstrName)
{
    if (!m_pTab)
        return E_FAIL;
    return CopyToBstr(m_pTab->Title(), pbstrName);
}

STDMETHODIMP CWebBrowser::get_LocationURL(BSTR* pbstrUrl)
{
    if (!m_pTab)
        return E_FAIL;
    return CopyToBstr(m_pTab->Url(), pbstrUrl);
}

STDMETHODIMP CWebBrowser::Quit()
{
    if (!m_pTab)
        return E_FAIL;
    PostMessageW(m_pTab->Frame().Hwnd(), WM_CLOSE, 0, 0);
    return S_OK;
}

STDMETHODIMP CWebBrowser::get_HWND(SHANDLE_PTR* pHwnd)
{
    if (!pHwnd)
        return E_POINTER;
    if (!m_pTab)
        return E_FAIL;
    *pHwnd = reinterpret_cast<SHANDLE_PTR>(m_pTab->Frame().Hwnd());
    return S_OK;
}

STDMETHODIMP CWebBrowser::get_Visible(VARIANT_BOOL* pbVisible)
{
    if (!pbVisible)
        return E_POINTER;
    if (!m_pTab)
        return E_FAIL;
    *pbVisible = IsWindowVisible(m_pTab->Frame().Hwnd()) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CWebBrowser::put_Visible(VARIANT_BOOL bVisible)
{
    if (!m_pTab)
        return E_FAIL;
    m_pTab->Frame().SetVisible(bVisible != VARIANT_FALSE);
    return S_OK;
}
