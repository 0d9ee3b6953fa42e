// A browser and a site as the helper object meets them, in this process, so that a test can see
// every reference, connection and call: the browser answers get_HWND itself and hands the calls
// of the opening to a real browser when it is given one; its one connection point (for
// DWebBrowserEvents2) records connections.
#pragma once

#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <shlguid.h>

#include <map>
#include <vector>

#include "demo/stand_in_browser/com_stubs.h"

class CTestWebBrowser : public CWebBrowserStubs,
                        public IConnectionPointContainer,
                        public IConnectionPoint
{
public:
    // Starts with one reference, the creator's.
    explicit CTestWebBrowser(HWND hWnd, IWebBrowser2* pInner = nullptr)
        : m_hWnd(hWnd), m_pInner(pInner)
    {
        if (m_pInner)
            m_pInner->AddRef();
    }

    ULONG References() const { return static_cast<ULONG>(m_nRefs); }
    // The connected sinks by cookie, and every cookie that was disconnected.
    const std::map<DWORD, IDispatch*>& Sinks() const { return m_sinks; }
    const std::vector<DWORD>& Disconnected() const { return m_disconnected; }

    HRESULT m_hrGetHwnd = S_OK;
    // Answers of the next Advise calls, first in, first out; S_OK when none is queued.
    std::vector<HRESULT> m_adviseAnswers;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        return QueryBrowser(riid, ppv,
                            {{&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                             {&IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}});
    }
    QLMR_COUNTED_REFS

    // IWebBrowser2, the calls the helper object makes.
    STDMETHODIMP get_HWND(SHANDLE_PTR* pHwnd) override
    {
        if (!pHwnd)
            return E_POINTER;
        if (FAILED(m_hrGetHwnd))
            return m_hrGetHwnd;
        *pHwnd = reinterpret_cast<SHANDLE_PTR>(m_hWnd);
        return S_OK;
    }
    STDMETHODIMP get_LocationURL(BSTR* pbstrUrl) override
    {
        return m_pInner ? m_pInner->get_LocationURL(pbstrUrl) : E_NOTIMPL;
    }
    STDMETHODIMP Navigate(BSTR bstrUrl, VARIANT* pvFlags, VARIANT* pvTargetFrame,
                          VARIANT* pvPostData, VARIANT* pvHeaders) override
    {
        return m_pInner ? m_pInner->Navigate(bstrUrl, pvFlags, pvTargetFrame, pvPostData, pvHeaders)
                        : E_NOTIMPL;
    }

    // IConnectionPointContainer
    QLMR_NOTIMPL(EnumConnectionPoints, IEnumConnectionPoints**)
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint) override
    {
        if (!ppPoint)
            return E_POINTER;
        *ppPoint = nullptr;
        if (riid != DIID_DWebBrowserEvents2)
            return CONNECT_E_NOCONNECTION;
        *ppPoint = this;
        AddRef();
        return S_OK;
    }

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* piid) override
    {
        if (!piid)
            return E_POINTER;
        *piid = DIID_DWebBrowserEvents2;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppContainer) override
    {
        if (!ppContainer)
            return E_POINTER;
        *ppContainer = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override
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
        if (FAILED(pUnkSink->QueryInterface(DIID_DWebBrowserEvents2,
                                            reinterpret_cast<void**>(&pSink))))
            return CONNECT_E_CANNOTCONNECT;
        *pdwCookie = m_dwNextCookie++;
        m_sinks[*pdwCookie] = pSink;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD dwCookie) override
    {
        const auto found = m_sinks.find(dwCookie);
        if (found == m_sinks.end())
            return CONNECT_E_NOCONNECTION;
        found->second->Release();
        m_sinks.erase(found);
        m_disconnected.push_back(dwCookie);
        return S_OK;
    }
    QLMR_NOTIMPL(EnumConnections, IEnumConnections**)

private:
    ~CTestWebBrowser() override
    {
        for (auto& sink : m_sinks)
            sink.second->Release();
        if (m_pInner)
            m_pInner->Release();
    }

    LONG m_nRefs = 1;
    HWND m_hWnd;
    IWebBrowser2* m_pInner;
    std::map<DWORD, IDispatch*> m_sinks;
    std::vector<DWORD> m_disconnected;
    DWORD m_dwNextCookie = 1;
};

// A site that offers the browser as the service SID_SWebBrowserApp and a command target of its
// own, which records the status queries.
class CTestSite : public IServiceProvider, public IOleCommandTarget
{
public:
    // Starts with one reference, the creator's. Without bServiceProvider the site answers only
    // IUnknown and IOleCommandTarget.
    explicit CTestSite(IWebBrowser2* pWebBrowser, bool bServiceProvider = true)
        : m_pWebBrowser(pWebBrowser), m_bServiceProvider(bServiceProvider)
    {
        if (m_pWebBrowser)
            m_pWebBrowser->AddRef();
    }

    ULONG References() const { return static_cast<ULONG>(m_nRefs); }
    int QueryStatusCalls() const { return m_nQueryStatusCalls; }
    HRESULT m_hrQueryStatus = S_OK;
    // Answers no IOleCommandTarget to QueryInterface, as a site that only serves the browser.
    bool m_bRefuseCommandTarget = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
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
    QLMR_COUNTED_REFS

    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (guidService != SID_SWebBrowserApp || !m_pWebBrowser)
            return E_NOINTERFACE;
        return m_pWebBrowser->QueryInterface(riid, ppv);
    }

    // IOleCommandTarget: QueryStatus marks every command supported and enabled.
    STDMETHODIMP QueryStatus(const GUID*, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT*) override
    {
        ++m_nQueryStatusCalls;
        for (ULONG i = 0; prgCmds && i < cCmds; ++i)
            prgCmds[i].cmdf = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
        return m_hrQueryStatus;
    }
    QLMR_NOTIMPL(Exec, const GUID*, DWORD, DWORD, VARIANT*, VARIANT*)

private:
    virtual ~CTestSite()
    {
        if (m_pWebBrowser)
            m_pWebBrowser->Release();
    }

    LONG m_nRefs = 1;
    IWebBrowser2* m_pWebBrowser;
    bool m_bServiceProvider;
    int m_nQueryStatusCalls = 0;
};

// An object whose references are counted by the test's guard and released at the end.
template <class T> class CTestRef
{
public:
    explicit CTestRef(T* p) : m_p(p) {}
    ~CTestRef()
    {
        if (m_p)
            m_p->Release();
    }
    CTestRef(const CTestRef&) = delete;
    CTestRef& operator=(const CTestRef&) = delete;
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }

private:
    T* m_p;
};
