#include "demo/stand_in_browser/web_browser.h"

#include <shlguid.h>

#include <string>

#include "demo/stand_in_browser/browser_app.h"
#include "demo/stand_in_browser/browser_frame.h"
#include "demo/stand_in_browser/browser_tab.h"
#include "demo/stand_in_browser/event_log.h"
#include "demo/stand_in_browser/stand_in_protocol.h"

namespace
{
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

CWebBrowser::CWebBrowser(CBrowserTab* pTab)
    : m_pTab(pTab), m_events(*static_cast<IWebBrowser2*>(this), *this)
{
}

void CWebBrowser::Detach()
{
    m_pTab = nullptr;
    // Sinks hold their add-on, which may hold this object: the cycle ends here.
    m_events.DisconnectAll();
}

void CWebBrowser::FireDocumentComplete()
{
    if (m_pTab)
        m_events.FireDocumentComplete(static_cast<IWebBrowser2*>(this), m_pTab->Url());
}

void CWebBrowser::FireOnQuit()
{
    if (m_pTab)
        m_events.FireOnQuit();
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

STDMETHODIMP CWebBrowser::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // SID_SWebBrowserApp (also spelt SID_SInternetExplorer) names the browser's automation object.
    if (guidService == SID_SWebBrowserApp || guidService == IID_IWebBrowser2)
        return QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowser::QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                      OLECMDTEXT* pCmdText)
{
    if (pguidCmdGroup)
        return OLECMDERR_E_UNKNOWNGROUP;
    if (cCmds && !prgCmds)
        return E_POINTER;
    for (ULONG i = 0; i < cCmds; ++i)
        prgCmds[i].cmdf = 0;
    if (pCmdText)
        pCmdText->cwActual = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint)
{
    if (!ppPoint)
        return E_POINTER;
    *ppPoint = nullptr;
    if (riid != DIID_DWebBrowserEvents2)
        return CONNECT_E_NOCONNECTION;
    *ppPoint = &m_events;
    m_events.AddRef();
    return S_OK;
}
