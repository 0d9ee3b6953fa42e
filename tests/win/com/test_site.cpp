#include "test_site.h"

#include <exdisp.h>
#include <shlguid.h>

CTestWebBrowser::CTestWebBrowser(HWND hWnd, IWebBrowser2* pInner) : m_hWnd(hWnd), m_pInner(pInner)
{
    if (m_pInner)
        m_pInner->AddRef();
}

CTestWebBrowser::~CTestWebBrowser()
{
    for (auto& sink : m_sinks)
        sink.second->Release();
    if (m_pInner)
        m_pInner->Release();
}

STDMETHODIMP CTestWebBrowser::QueryInterface(REFIID riid, void** ppv)
{
    IWebBrowser2* pBrowser = this;
    return QueryFromTable(
        riid, ppv,
        {{&IID_IUnknown, pBrowser},
         {&IID_IDispatch, pBrowser},
         {&IID_IWebBrowser, pBrowser},
         {&IID_IWebBrowserApp, pBrowser},
         {&IID_IWebBrowser2, pBrowser},
         {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
         {&IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
}

STDMETHODIMP CTestWebBrowser::get_HWND(SHANDLE_PTR* pHwnd)
{
    if (!pHwnd)
        return E_POINTER;
    if (FAILED(m_hrGetHwnd))
        return m_hrGetHwnd;
    *pHwnd = reinterpret_cast<SHANDLE_PTR>(m_hWnd);
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::get_LocationURL(BSTR* pbstrUrl)
{
    return m_pInner ? m_pInner->get_LocationURL(pbstrUrl) : E_NOTIMPL;
}

STDMETHODIMP CTestWebBrowser::Navigate(BSTR bstrUrl, VARIANT* pvFlags, VARIANT* pvTargetFrame,
                                       VARIANT* pvPostData, VARIANT* pvHeaders)
{
    return m_pInner ? m_pInner->Navigate(bstrUrl, pvFlags, pvTargetFrame, pvPostData, pvHeaders)
                    : E_NOTIMPL;
}

STDMETHODIMP CTestWebBrowser::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CTestWebBrowser::FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint)
{
    if (!ppPoint)
        return E_POINTER;
    *ppPoint = nullptr;
    if (riid != DIID_DWebBrowserEvents2)
        return CONNECT_E_NOCONNECTION;
    *ppPoint = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::GetConnectionInterface(IID* piid)
{
    if (!piid)
        return E_POINTER;
    *piid = DIID_DWebBrowserEvents2;
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::GetConnectionPointContainer(IConnectionPointContainer** ppContainer)
{
    if (!ppContainer)
        return E_POINTER;
    *ppContainer = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pUnkSink || !pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!m_adviseAnswers.empty())
    {
        const HRESULT hr = m_adviseAnswers.front();
        m_adviseAnswers.erase(m_adviseAnswers.begin());
        if (FAILED(hr))
            return hr;
    }
    // As a real connection point does: the sink is asked for the event interface and kept.
    IDispatch* pSink = nullptr;
    if (FAILED(pUnkSink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&pSink))))
        return CONNECT_E_CANNOTCONNECT;
    *pdwCookie = m_dwNextCookie++;
    m_sinks[*pdwCookie] = pSink;
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::Unadvise(DWORD dwCookie)
{
    const auto found = m_sinks.find(dwCookie);
    if (found == m_sinks.end())
        return CONNECT_E_NOCONNECTION;
    found->second->Release();
    m_sinks.erase(found);
    m_disconnected.push_back(dwCookie);
    return S_OK;
}

STDMETHODIMP CTestWebBrowser::EnumConnections(IEnumConnections** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

CTestSite::CTestSite(IWebBrowser2* pWebBrowser, bool bServiceProvider)
    : m_pWebBrowser(pWebBrowser), m_bServiceProvider(bServiceProvider)
{
    if (m_pWebBrowser)
        m_pWebBrowser->AddRef();
}

CTestSite::~CTestSite()
{
    if (m_pWebBrowser)
        m_pWebBrowser->Release();
}

STDMETHODIMP CTestSite::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IOleCommandTarget && m_bRefuseCommandTarget)
        return E_NOINTERFACE;
    if (riid == IID_IUnknown || riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else if (riid == IID_IServiceProvider && m_bServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP CTestSite::QueryService(REFGUID guidService, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (guidService != SID_SWebBrowserApp || !m_pWebBrowser)
        return E_NOINTERFACE;
    return m_pWebBrowser->QueryInterface(riid, ppv);
}

STDMETHODIMP CTestSite::QueryStatus(const GUID*, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT*)
{
    ++m_nQueryStatusCalls;
    for (ULONG i = 0; prgCmds && i < cCmds; ++i)
        prgCmds[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    return m_hrQueryStatus;
}

STDMETHODIMP CTestSite::Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*)
{
    return E_NOTIMPL;
}
