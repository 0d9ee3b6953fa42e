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

#include <map>
#include <vector>

#include "com_stubs.h"

class CTestWebBrowser : public CWebBrowserStubs,
                        public IConnectionPointContainer,
                        public IConnectionPoint
{
public:
    // Starts with one reference, the creator's.
    explicit CTestWebBrowser(HWND hWnd, IWebBrowser2* pInner = nullptr);

    ULONG References() const { return static_cast<ULONG>(m_nRefs); }
    // The connected sinks by cookie, and every cookie that was disconnected.
    const std::map<DWORD, IDispatch*>& Sinks() const { return m_sinks; }
    const std::vector<DWORD>& Disconnected() const { return m_disconnected; }

    HRESULT m_hrGetHwnd = S_OK;
    // Answers of the next Advise calls, first in, first out; S_OK when none is queued.
    std::vector<HRESULT> m_adviseAnswers;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    QLMR_COUNTED_REFS

    // IWebBrowser2, the calls the helper object makes.
    STDMETHODIMP get_HWND(SHANDLE_PTR* pHwnd) override;
    STDMETHODIMP get_LocationURL(BSTR* pbstrUrl) override;
    STDMETHODIMP Navigate(BSTR bstrUrl, VARIANT* pvFlags, VARIANT* pvTargetFrame,
                          VARIANT* pvPostData, VARIANT* pvHeaders) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint) override;

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* piid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppContainer) override;
    STDMETHODIMP Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    STDMETHODIMP Unadvise(DWORD dwCookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

private:
    ~CTestWebBrowser() override;

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
    explicit CTestSite(IWebBrowser2* pWebBrowser, bool bServiceProvider = true);

    ULONG References() const { return static_cast<ULONG>(m_nRefs); }
    int QueryStatusCalls() const { return m_nQueryStatusCalls; }
    HRESULT m_hrQueryStatus = S_OK;
    // Answers no IOleCommandTarget to QueryInterface, as a site that only serves the browser.
    bool m_bRefuseCommandTarget = false;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    QLMR_COUNTED_REFS

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID guidService, REFIID riid, void** ppv) override;

    // IOleCommandTarget: QueryStatus marks every command supported and enabled.
    STDMETHODIMP QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                             OLECMDTEXT* pCmdText) override;
    STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                      VARIANT* pvaOut) override;

private:
    virtual ~CTestSite();

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
