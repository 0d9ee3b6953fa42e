// The recording add-on (see recording_add_on.h): one class, which the browser makes both as a
// helper object and as the object behind a Tools-menu item, and which writes down what it gets.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <shlguid.h>

#include <cwchar>
#include <initializer_list>
#include <string>

#include "com_ref.h"
#include "recording_add_on.h"

namespace
{
HMODULE g_hModule = nullptr;
LONG g_nLocks = 0; // live objects and LockServer calls
LONG g_nObjects = 0;

const wchar_t kHelperObjectsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\";
const wchar_t kClassesKey[] = L"SOFTWARE\\Classes\\CLSID\\";
const wchar_t kComExtensionHandler[] = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

std::wstring Hex(HRESULT hr)
{
    wchar_t szText[16] = L"";
    std::swprintf(szText, ARRAYSIZE(szText), L"0x%08lX", static_cast<unsigned long>(hr));
    return szText;
}

std::wstring GuidText(const GUID& guid)
{
    wchar_t szText[40] = L"";
    StringFromGUID2(guid, szText, ARRAYSIZE(szText));
    return szText;
}

class CFile
{
public:
    explicit CFile(HANDLE hFile) : m_hFile(hFile) {}
    ~CFile()
    {
        if (m_hFile != INVALID_HANDLE_VALUE)
            CloseHandle(m_hFile);
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    HANDLE Get() const { return m_hFile; }

private:
    HANDLE m_hFile;
};

// One line appended to the record in one write, so that processes sharing it do not interleave.
void Record(std::initializer_list<std::wstring> fields)
{
    wchar_t szPath[MAX_PATH] = L"";
    const DWORD nLength =
        GetEnvironmentVariableW(recording_add_on::kRecordVariable, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return;
    std::wstring strLine;
    for (const std::wstring& strField : fields)
    {
        if (!strLine.empty())
            strLine += L'\t';
        strLine += strField;
    }
    strLine += L'\n';
    const int cb = WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string strBytes(static_cast<size_t>(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()), &strBytes[0],
                        cb, nullptr, nullptr);
    const CFile file(CreateFileW(szPath, FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD dwWritten = 0;
    if (file.Get() != INVALID_HANDLE_VALUE)
        WriteFile(file.Get(), strBytes.data(), static_cast<DWORD>(strBytes.size()), &dwWritten,
                  nullptr);
}

class CRecordingAddOn final : public IObjectWithSite, public IOleCommandTarget
{
public:
    CRecordingAddOn()
        : m_strName(std::to_wstring(GetCurrentProcessId()) + L"." +
                    std::to_wstring(InterlockedIncrement(&g_nObjects))),
          m_sink(*this)
    {
        InterlockedIncrement(&g_nLocks);
        Record({L"created", m_strName});
    }

    CRecordingAddOn(const CRecordingAddOn&) = delete;
    CRecordingAddOn& operator=(const CRecordingAddOn&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IObjectWithSite)
            *ppv = static_cast<IObjectWithSite*>(this);
        else if (riid == IID_IOleCommandTarget)
            *ppv = static_cast<IOleCommandTarget*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG nRefs = InterlockedDecrement(&m_nRefs);
        if (nRefs == 0)
            delete this;
        return static_cast<ULONG>(nRefs);
    }

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* pSite) override
    {
        Disconnect();
        m_spBrowser.Release();
        m_spSite.Release();
        if (!pSite)
        {
            Record({L"unsite", m_strName});
            return S_OK;
        }
        m_spSite = CComRef<IUnknown>(pSite);
        CComRef<IServiceProvider> spProvider;
        HRESULT hr = pSite->QueryInterface(IID_IServiceProvider, spProvider.OutVoid());
        if (SUCCEEDED(hr))
            hr = spProvider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                          m_spBrowser.OutVoid());
        if (SUCCEEDED(hr) && !m_spBrowser)
            hr = E_NOINTERFACE;
        if (FAILED(hr))
        {
            Record({L"site", m_strName, L"failed", Hex(hr)});
            return hr;
        }
        SHANDLE_PTR hWnd = 0;
        m_spBrowser->get_HWND(&hWnd);
        m_hBrowserWindow = reinterpret_cast<HWND>(hWnd);
        BSTR bstrUrl = nullptr;
        m_spBrowser->get_LocationURL(&bstrUrl);
        const std::wstring strUrl(bstrUrl ? bstrUrl : L"");
        SysFreeString(bstrUrl);

        CComRef<IOleCommandTarget> spTarget;
        const HRESULT hrTarget =
            spProvider->QueryInterface(IID_IOleCommandTarget, spTarget.OutVoid());
        const HRESULT hrAdvise = Connect();
        Record({L"site", m_strName, std::to_wstring(static_cast<ULONG_PTR>(hWnd)), strUrl,
                Hex(hrTarget), Hex(hrAdvise)});
        return S_OK;
    }

    STDMETHODIMP GetSite(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        return m_spSite ? m_spSite->QueryInterface(riid, ppv) : E_FAIL;
    }

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override
    {
        return OLECMDERR_E_NOTSUPPORTED;
    }

    STDMETHODIMP Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                      VARIANT* pvaOut) override
    {
        const bool bUiThread =
            m_hBrowserWindow &&
            GetWindowThreadProcessId(m_hBrowserWindow, nullptr) == GetCurrentThreadId();
        const HRESULT hrCom = CoInitialize(nullptr);
        if (SUCCEEDED(hrCom))
            CoUninitialize();
        Record({L"exec", m_strName, pguidCmdGroup ? GuidText(*pguidCmdGroup) : L"null",
                std::to_wstring(nCmdID), std::to_wstring(nCmdexecopt),
                pvaIn ? std::to_wstring(V_VT(pvaIn)) : L"null", pvaOut ? L"given" : L"null",
                bUiThread ? L"ui" : L"other", Hex(hrCom)});
        return hrCom;
    }

private:
    // The events sink, part of the object: it counts with it.
    class CSink : public IDispatch
    {
    public:
        explicit CSink(CRecordingAddOn& owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
        {
            if (!ppv)
                return E_POINTER;
            *ppv = nullptr;
            if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID_DWebBrowserEvents2)
                return E_NOINTERFACE;
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return m_owner.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return m_owner.Release(); }
        STDMETHODIMP GetTypeInfoCount(UINT* pn) override
        {
            if (pn)
                *pn = 0;
            return S_OK;
        }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
        {
            return E_NOTIMPL;
        }
        STDMETHODIMP Invoke(DISPID nDispId, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*,
                            EXCEPINFO*, UINT*) override
        {
            m_owner.OnEvent(nDispId, pParams);
            return S_OK;
        }

    private:
        CRecordingAddOn& m_owner;
    };

    ~CRecordingAddOn()
    {
        Record({L"destroyed", m_strName});
        InterlockedDecrement(&g_nLocks);
    }

    HRESULT Connect()
    {
        CComRef<IConnectionPointContainer> spContainer;
        HRESULT hr =
            m_spBrowser->QueryInterface(IID_IConnectionPointContainer, spContainer.OutVoid());
        if (SUCCEEDED(hr))
            hr = spContainer->FindConnectionPoint(DIID_DWebBrowserEvents2, m_spPoint.Out());
        if (SUCCEEDED(hr))
            hr = m_spPoint->Advise(static_cast<IDispatch*>(&m_sink), &m_dwCookie);
        if (FAILED(hr))
            m_spPoint.Release();
        return hr;
    }

    void Disconnect()
    {
        if (!m_spPoint)
            return;
        // Unadvise releases the sink, and with it possibly the last reference but ours.
        AddRef();
        m_spPoint->Unadvise(m_dwCookie);
        m_spPoint.Release();
        m_dwCookie = 0;
        Release();
    }

    void OnEvent(DISPID nDispId, const DISPPARAMS* pParams)
    {
        if (nDispId != DISPID_DOCUMENTCOMPLETE || !pParams || pParams->cArgs != 2)
        {
            Record({L"event", m_strName, std::to_wstring(nDispId)});
            return;
        }
        // DocumentComplete(pDisp, URL), arguments in reverse order.
        const VARIANT& vUrl = pParams->rgvarg[0];
        const VARIANT& vDisp = pParams->rgvarg[1];
        std::wstring strUrl = L"?";
        if (V_VT(&vUrl) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&vUrl) &&
            V_VT(V_VARIANTREF(&vUrl)) == VT_BSTR)
        {
            const BSTR bstrUrl = V_BSTR(V_VARIANTREF(&vUrl));
            strUrl.assign(bstrUrl ? bstrUrl : L"", bstrUrl ? SysStringLen(bstrUrl) : 0);
        }
        bool bSame = false;
        if (V_VT(&vDisp) == VT_DISPATCH && V_DISPATCH(&vDisp) && m_spBrowser)
        {
            CComRef<IUnknown> spEventIdentity;
            CComRef<IUnknown> spBrowserIdentity;
            V_DISPATCH(&vDisp)->QueryInterface(IID_IUnknown, spEventIdentity.OutVoid());
            m_spBrowser->QueryInterface(IID_IUnknown, spBrowserIdentity.OutVoid());
            bSame = spEventIdentity && spEventIdentity.Get() == spBrowserIdentity.Get();
        }
        Record({L"event", m_strName, std::to_wstring(nDispId), strUrl, bSame ? L"same" : L"other"});
    }

    LONG m_nRefs = 1;
    const std::wstring m_strName;
    CSink m_sink;
    CComRef<IUnknown> m_spSite;
    CComRef<IWebBrowser2> m_spBrowser;
    HWND m_hBrowserWindow = nullptr;
    CComRef<IConnectionPoint> m_spPoint;
    DWORD m_dwCookie = 0;
};

class CClassFactory : public IClassFactory
{
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory)
            return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // One static factory: it lives as long as the DLL.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (pOuter)
            return CLASS_E_NOAGGREGATION;
        auto* pObject = new (std::nothrow) CRecordingAddOn();
        if (!pObject)
            return E_OUTOFMEMORY;
        const HRESULT hr = pObject->QueryInterface(riid, ppv);
        pObject->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL bLock) override
    {
        if (bLock)
            InterlockedIncrement(&g_nLocks);
        else
            InterlockedDecrement(&g_nLocks);
        return S_OK;
    }
};

CClassFactory g_factory;

bool SetText(const std::wstring& strKey, const wchar_t* pszValue, const std::wstring& strText)
{
    return RegSetKeyValueW(HKEY_LOCAL_MACHINE, strKey.c_str(), pszValue, REG_SZ, strText.c_str(),
                           static_cast<DWORD>((strText.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool RemoveKey(const std::wstring& strKey)
{
    const LSTATUS nStatus = RegDeleteTreeW(HKEY_LOCAL_MACHINE, strKey.c_str());
    if (nStatus != ERROR_SUCCESS && nStatus != ERROR_FILE_NOT_FOUND)
        return false;
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, strKey.c_str());
    return true;
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        g_hModule = hInstance;
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return g_nLocks == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CLSID clsid = CLSID_NULL;
    CLSIDFromString(recording_add_on::kClassId, &clsid);
    if (rclsid != clsid)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

STDAPI DllRegisterServer()
{
    wchar_t szPath[MAX_PATH] = L"";
    const DWORD nLength = GetModuleFileNameW(g_hModule, szPath, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return SELFREG_E_CLASS;
    const std::wstring strClass = kClassesKey + std::wstring(recording_add_on::kClassId);
    const std::wstring strExtension =
        kExtensionsKey + std::wstring(recording_add_on::kExtensionKey);
    const std::wstring strHelper = kHelperObjectsKey + std::wstring(recording_add_on::kClassId);
    const bool bDone = SetText(strClass, nullptr, L"Recording add-on") &&
                       SetText(strClass + L"\\InprocServer32", nullptr, szPath) &&
                       SetText(strClass + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                       SetText(strHelper, nullptr, L"Recording add-on") &&
                       SetText(strExtension, L"CLSID", kComExtensionHandler) &&
                       SetText(strExtension, L"MenuText", recording_add_on::kMenuText) &&
                       SetText(strExtension, L"ClsIDExtension", recording_add_on::kClassId);
    return bDone ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer()
{
    const bool bDone = RemoveKey(kHelperObjectsKey + std::wstring(recording_add_on::kClassId)) &&
                       RemoveKey(kExtensionsKey + std::wstring(recording_add_on::kExtensionKey)) &&
                       RemoveKey(kClassesKey + std::wstring(recording_add_on::kClassId));
    return bDone ? S_OK : SELFREG_E_CLASS;
}
