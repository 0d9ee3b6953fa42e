#include "browser/web_browser_event_sink.h"

#include <exdisp.h>
#include <ocidl.h>

#include "win/com.h"

namespace
{
HRESULT FindEventsConnectionPoint(IUnknown* pSource, CComPtr<IConnectionPoint>& spPoint)
{
    if (!pSource)
        return E_POINTER;
    CComPtr<IConnectionPointContainer> spContainer;
    HRESULT hr = pSource->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&spContainer));
    if (FAILED(hr))
        return hr;
    if (!spContainer)
        return E_NOINTERFACE;
    hr = spContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, &spPoint);
    if (SUCCEEDED(hr) && !spPoint)
        return E_NOINTERFACE;
    return hr;
}
} // namespace

HRESULT CWebBrowserEventSink::Advise(IUnknown* pSource)
{
    CComPtr<IConnectionPoint> spPoint;
    HRESULT hr = FindEventsConnectionPoint(pSource, spPoint);
    if (FAILED(hr))
        return hr;
    DWORD dwCookie = 0;
    hr = spPoint->Advise(static_cast<IDispatch*>(this), &dwCookie);
    if (SUCCEEDED(hr))
        m_dwCookie = dwCookie;
    return hr;
}

HRESULT CWebBrowserEventSink::Unadvise(IUnknown* pSource)
{
    const DWORD dwCookie = m_dwCookie;
    m_dwCookie = 0;
    if (dwCookie == 0)
        return S_FALSE;
    CComPtr<IConnectionPoint> spPoint;
    const HRESULT hr = FindEventsConnectionPoint(pSource, spPoint);
    if (FAILED(hr))
        return hr;
    return spPoint->Unadvise(dwCookie);
}

STDMETHODIMP CWebBrowserEventSink::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, DIID_DWebBrowserEvents2))
    {
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CWebBrowserEventSink::AddRef()
{
    return 1;
}

STDMETHODIMP_(ULONG) CWebBrowserEventSink::Release()
{
    return 1;
}

STDMETHODIMP CWebBrowserEventSink::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowserEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

// Every event is welcome and ignored.
STDMETHODIMP CWebBrowserEventSink::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                          EXCEPINFO*, UINT*)
{
    return S_OK;
}
