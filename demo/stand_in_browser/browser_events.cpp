#include "demo/stand_in_browser/browser_events.h"

#include <exdisp.h>
#include <exdispid.h>

STDMETHODIMP CBrowserEvents::GetConnectionInterface(IID* pIid)
{
    if (!pIid)
        return E_POINTER;
    *pIid = DIID_DWebBrowserEvents2;
    return S_OK;
}

STDMETHODIMP CBrowserEvents::GetConnectionPointContainer(IConnectionPointContainer** ppContainer)
{
    if (!ppContainer)
        return E_POINTER;
    *ppContainer = &m_container;
    m_container.AddRef();
    return S_OK;
}

STDMETHODIMP CBrowserEvents::Advise(IUnknown* pSink, DWORD* pdwCookie)
{
    if (!pdwCookie)
        return E_POINTER;
    *pdwCookie = 0;
    if (!pSink)
        return E_POINTER;
    // A sink answers for the event interface, which is a dispatch interface; plain IDispatch will
    // do as well.
    CComRef<IDispatch> spSink;
    if (FAILED(pSink->QueryInterface(DIID_DWebBrowserEvents2, spSink.OutVoid())) &&
        FAILED(pSink->QueryInterface(IID_IDispatch, spSink.OutVoid())))
        return CONNECT_E_CANNOTCONNECT;
    m_connections.push_back({++m_dwLastCookie, std::move(spSink)});
    *pdwCookie = m_dwLastCookie;
    return S_OK;
}

STDMETHODIMP CBrowserEvents::Unadvise(DWORD dwCookie)
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it)
    {
        if (it->dwCookie == dwCookie)
        {
            // The sink may be released from inside this call; take it out of the list first.
            CConnection connection = std::move(*it);
            m_connections.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

STDMETHODIMP CBrowserEvents::EnumConnections(IEnumConnections** ppEnum)
{
    if (ppEnum)
        *ppEnum = nullptr;
    return E_NOTIMPL;
}

void CBrowserEvents::FireDocumentComplete(IDispatch* pBrowser, const std::wstring& strUrl)
{
    // DocumentComplete(IDispatch* pDisp, VARIANT* URL): arguments go in reverse order.
    VARIANT vUrl;
    VariantInit(&vUrl);
    V_VT(&vUrl) = VT_BSTR;
    V_BSTR(&vUrl) = SysAllocStringLen(strUrl.data(), static_cast<UINT>(strUrl.size()));
    VARIANTARG args[2];
    VariantInit(&args[0]);
    V_VT(&args[0]) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&args[0]) = &vUrl;
    VariantInit(&args[1]);
    V_VT(&args[1]) = VT_DISPATCH;
    V_DISPATCH(&args[1]) = pBrowser;
    DISPPARAMS params = {args, nullptr, 2, 0};
    Fire(DISPID_DOCUMENTCOMPLETE, params);
    VariantClear(&vUrl);
}

void CBrowserEvents::FireOnQuit()
{
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    Fire(DISPID_ONQUIT, params);
}

void CBrowserEvents::DisconnectAll()
{
    // Moved out first: releasing a sink may call back into Unadvise.
    std::vector<CConnection> connections = std::move(m_connections);
    m_connections.clear();
}

void CBrowserEvents::Fire(DISPID nDispId, DISPPARAMS& params)
{
    // A sink may disconnect itself, or another one, from inside the call.
    std::vector<CComRef<IDispatch>> sinks;
    for (const CConnection& connection : m_connections)
        sinks.emplace_back(connection.spSink.Get());
    for (const CComRef<IDispatch>& spSink : sinks)
    {
        spSink->Invoke(nDispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                       nullptr, nullptr);
    }
}
