#include "browser/quillmere_bho.h"

#include <mshtml.h>
#include <servprov.h>
#include <shlguid.h>
#include <tlhelp32.h>

#include <cstring>
#include <ctime>
#include <cwchar>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "base/exceptions.h"
#include "base/throw_if.h"
#include "resources/resource.h"
#include "ui/error_box.h"
#include "ui/session_manager_dialog.h"
#include "win/activation_context_scope.h"
#include "win/string_table.h"

namespace
{
const wchar_t kBrowserProcessName[] = L"iexplore.exe";
const wchar_t kFrameWindowClass[] = L"IEFrame";
const wchar_t kServerWindowClass[] = L"Internet Explorer_Server";
const int kClassNameLength = 100;
const UINT kDocumentTimeoutMs = 1000;

// Fewer tabs than this open in all windows: the first window of a session reuses the invoking one.
const int kReuseThreshold = 4;
const char kStartPageKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
const char kStartPageValue[] = "Start Page";
const DWORD kStartPageBytes = 1024;

using ObjectFromLresultFn = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);

const wchar_t kAccessibilityLibrary[] = L"OLEACC.DLL";
// The main dialog's result after Load: the Load button's command id.
const INT_PTR kLoadResult = IDC_SESSIONS_LOAD;

// The object's interfaces, in the order they are looked up; the first is its identity.
const CInterfaceEntry<CQuillmereBHO> kInterfaces[] = {
    {&IID_IQuillmereBHO, &InterfaceOf<IQuillmereBHO, CQuillmereBHO>},
    {&IID_IDispatch, &InterfaceOf<IQuillmereBHO, CQuillmereBHO>},
    {&IID_IObjectWithSite, &InterfaceOf<IObjectWithSite, CQuillmereBHO>},
    {&IID_IOleCommandTarget, &InterfaceOf<IOleCommandTarget, CQuillmereBHO>},
};

// The command's messages: caption and text from the string table, an OK button.
void ShowCommandMessage(HWND hOwner, UINT nCaptionId, UINT nTextId, UINT nIcon)
{
    MessageBoxW(hOwner, LoadResString(nTextId).c_str(), LoadResString(nCaptionId).c_str(),
                MB_OK | nIcon);
}

// Where an enumeration callback puts the windows it finds. An exception must not unwind through
// the system's enumeration: the first failure to keep a window stops it, and is raised again once
// the enumeration has returned.
struct CWindowSearch
{
    std::vector<HWND>* pFound;
    std::exception_ptr pError;

    // Whether the enumeration goes on.
    BOOL Keep(HWND hWnd)
    {
        try
        {
            pFound->push_back(hWnd);
        }
        catch (...)
        {
            pError = std::current_exception();
            return FALSE;
        }
        return TRUE;
    }

    void RethrowFailure() const
    {
        if (pError)
            std::rethrow_exception(pError);
    }
};

// What EnumFrameWindowsProc looks for.
struct CFrameSearch : CWindowSearch
{
    DWORD dwProcessId;
};

bool HasClass(HWND hWnd, const wchar_t* pszClass)
{
    wchar_t szClass[kClassNameLength] = L"";
    if (GetClassNameW(hWnd, szClass, kClassNameLength) == 0)
        return false;
    return std::wcscmp(szClass, pszClass) == 0;
}

bool AreEqual(BSTR bstrLeft, BSTR bstrRight)
{
    return VarBstrCmp(bstrLeft, bstrRight, LOCALE_USER_DEFAULT, 0) ==
           static_cast<HRESULT>(VARCMP_EQ);
}

class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    HKEY* Out() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// The browser's start page, read as narrow text and widened in the thread's code page.
bool ReadStartPage(std::wstring& strStartPage)
{
    CRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kStartPageKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS)
        return false;
    char szValue[kStartPageBytes] = {};
    DWORD cbValue = kStartPageBytes;
    if (RegQueryValueExA(key, kStartPageValue, nullptr, nullptr, reinterpret_cast<BYTE*>(szValue),
                         &cbValue) != ERROR_SUCCESS)
        return false;
    // A value that fills the buffer has no terminator of its own: its length is what was read.
    const int nBytes =
        static_cast<int>(strnlen(szValue, cbValue < kStartPageBytes ? cbValue : kStartPageBytes));
    strStartPage.clear();
    if (nBytes == 0)
        return true;
    const int nChars = MultiByteToWideChar(CP_THREAD_ACP, 0, szValue, nBytes, nullptr, 0);
    if (nChars <= 0)
        return false;
    strStartPage.resize(static_cast<size_t>(nChars));
    MultiByteToWideChar(CP_THREAD_ACP, 0, szValue, nBytes, &strStartPage[0], nChars);
    return true;
}

// Flags for Navigate: none (an empty variant) or a new tab of the same window.
VARIANT NavigateFlags(bool bNewTab)
{
    VARIANT vFlags;
    VariantInit(&vFlags);
    if (bNewTab)
    {
        V_VT(&vFlags) = VT_I4;
        V_I4(&vFlags) = navOpenInNewTab;
    }
    return vFlags;
}

// A copy of the text; running out of memory raises the framework's memory exception.
void CopyToBstr(const std::wstring& strText, CComBSTR& bstr)
{
    BSTR* pbstr = &bstr;
    *pbstr = SysAllocStringLen(strText.data(), static_cast<UINT>(strText.size()));
    if (!*pbstr)
        ThrowOleException(kEOutOfMemory);
}

HRESULT Navigate(IWebBrowser2* pWebBrowser, const std::wstring& strUrl, bool bNewTab)
{
    CComBSTR bstrUrl;
    CopyToBstr(strUrl, bstrUrl);
    VARIANT vFlags = NavigateFlags(bNewTab);
    // Target frame, post data and headers are left out as empty variants, which a browser in
    // another process receives as well (a null pointer does not cross the process boundary).
    VARIANT vEmpty;
    VariantInit(&vEmpty);
    return pWebBrowser->Navigate(bstrUrl, &vFlags, &vEmpty, &vEmpty, &vEmpty);
}
} // namespace

CQuillmereBHO::~CQuillmereBHO()
{
    // The sink holds no reference on the object: a browser that lets the object go while it is
    // still sited must not be left calling into a freed sink.
    DisconnectEvents();
    if (m_hActiveAccessibilityLibraryInst)
        FreeLibrary(m_hActiveAccessibilityLibraryInst);
    // The members then release the site's command target and the web browser, and the base the
    // site.
}

void CQuillmereBHO::DisconnectEvents()
{
    // Whether or not the last siting completed: a siting that failed after connecting leaves
    // the sink connected with m_bAdvised false.
    m_bAdvised = false;
    if (m_webBrowserEvents.IsConnected())
        m_webBrowserEvents.Unadvise(m_spWebBrowser.Get());
}

HRESULT CQuillmereBHO::CreateInstance(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    CQuillmereBHO* pObject = new (std::nothrow) CQuillmereBHO;
    if (!pObject)
        return E_OUTOFMEMORY;
    // Held across the query, so that a refused interface leaves no object behind.
    pObject->AddRef();
    const HRESULT hr = pObject->QueryInterface(riid, ppv);
    pObject->Release();
    return hr;
}

// ---- IUnknown

STDMETHODIMP CQuillmereBHO::QueryInterface(REFIID riid, void** ppv)
{
    return InternalQueryInterface(this, kInterfaces, riid, ppv);
}

STDMETHODIMP_(ULONG) CQuillmereBHO::AddRef()
{
    return InternalAddRef();
}

STDMETHODIMP_(ULONG) CQuillmereBHO::Release()
{
    const ULONG nRefs = InternalRelease();
    if (nRefs == 0)
        delete this;
    return nRefs;
}

// ---- IObjectWithSite

STDMETHODIMP CQuillmereBHO::SetSite(IUnknown* pUnkSite)
{
    if (pUnkSite)
    {
        if (!m_bAdvised)
        {
            CComPtr<IServiceProvider> spProvider;
            HRESULT hr = pUnkSite->QueryInterface(IID_IServiceProvider,
                                                  reinterpret_cast<void**>(&spProvider));
            if (FAILED(hr))
                return hr;
            if (!spProvider)
                return E_NOINTERFACE;
            if (!m_spWebBrowser)
            {
                hr = spProvider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                              reinterpret_cast<void**>(&m_spWebBrowser));
                if (FAILED(hr))
                    return hr;
                if (!m_spWebBrowser)
                    return E_NOINTERFACE;
            }
            // Also when the browser was kept from a siting whose connection failed: m_bAdvised
            // is only ever set with the sink connected.
            if (!m_webBrowserEvents.IsConnected())
            {
                hr = m_webBrowserEvents.Advise(m_spWebBrowser.Get());
                if (FAILED(hr))
                    return hr;
            }
            if (!m_spSiteCommandTarget)
            {
                hr = spProvider->QueryInterface(IID_IOleCommandTarget,
                                                reinterpret_cast<void**>(&m_spSiteCommandTarget));
                if (FAILED(hr))
                    return hr;
            }
            m_bAdvised = true;
        }
    }
    else
    {
        DisconnectEvents();
        m_spWebBrowser.Release();
        m_spSiteCommandTarget.Release();
    }
    return SetSiteBase(pUnkSite);
}

// ---- IOleCommandTarget

STDMETHODIMP CQuillmereBHO::QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[],
                                        OLECMDTEXT* pCmdText)
{
    // Nothing to ask before the object is sited.
    if (!m_spSiteCommandTarget)
        return E_UNEXPECTED;
    return m_spSiteCommandTarget->QueryStatus(pguidCmdGroup, cCmds, prgCmds, pCmdText);
}

STDMETHODIMP CQuillmereBHO::Exec(const GUID* /*pguidCmdGroup*/, DWORD /*nCmdID*/,
                                 DWORD /*nCmdexecopt*/, VARIANT* /*pvaIn*/, VARIANT* /*pvaOut*/)
{
    return CallWithoutThrowing([this] { return RunCommand(); });
}

HRESULT CQuillmereBHO::RunCommand()
{
    // The browser window owns the messages of the command.
    SHANDLE_PTR hBrowserHandle = 0;
    const HRESULT hrWindow =
        m_spWebBrowser ? m_spWebBrowser->get_HWND(&hBrowserHandle) : E_UNEXPECTED;
    if (FAILED(hrWindow))
    {
        ShowCommandMessage(nullptr, IDS_UNABLE_TO_EXECUTE, IDS_NO_BROWSER_WINDOW_HANDLE,
                           MB_ICONSTOP);
        return hrWindow;
    }
    const HWND hBrowser = reinterpret_cast<HWND>(hBrowserHandle);

    // Declared in the reverse order of their clean-up: the COM apartment ends first, then the
    // module's activation context, then the session goes.
    std::unique_ptr<CSession> spCurrentSession;
    std::optional<CActivationContextScope> moduleContext;
    const CComInitializer comInitializer;
    // On the browser's thread COM is already initialised: S_FALSE, which is what Exec returns.
    const HRESULT hrCom = comInitializer.Result();
    if (FAILED(hrCom))
    {
        ShowCommandMessage(hBrowser, IDS_UNABLE_TO_EXECUTE, IDS_UNABLE_TO_INITIALIZE_COM,
                           MB_ICONSTOP);
        return hrCom;
    }

    const bool bCanCapture = LoadAccessibilityLibrary();
    if (!bCanCapture)
        ShowCommandMessage(hBrowser, IDS_UNABLE_TO_GET_CURRENT_URLS, IDS_NO_ACCESSIBILITY_LIBRARY,
                           MB_ICONEXCLAMATION);

    spCurrentSession = std::make_unique<CSession>(kCurrentSessionName, std::time(nullptr));
    if (bCanCapture)
    {
        try
        {
            GetCurrentSessionUrls(*spCurrentSession);
        }
        catch (...)
        {
            // The dialog still opens, with what was captured before the failure.
            ShowCommandMessage(hBrowser, IDS_UNABLE_TO_GET_CURRENT_URLS, IDS_CAPTURE_FAILED,
                               MB_ICONEXCLAMATION);
        }
    }

    moduleContext.emplace();
    try
    {
        ShowSessionManager(*spCurrentSession);
    }
    catch (...)
    {
        // The dialog and the opening report their own failures; what escapes them ends the
        // command quietly.
    }
    return hrCom;
}

bool CQuillmereBHO::LoadAccessibilityLibrary()
{
    if (!m_hActiveAccessibilityLibraryInst)
        m_hActiveAccessibilityLibraryInst = LoadLibraryW(kAccessibilityLibrary);
    return m_hActiveAccessibilityLibraryInst != nullptr;
}

void CQuillmereBHO::ShowSessionManager(CSession& currentSession)
{
    CSessionManagerDialog dialog(nullptr);
    dialog.SetCurrentSession(&currentSession);
    if (dialog.DoModal() != kLoadResult)
        return;
    // From here the command owns the ticked session, and OpenUrls destroys it.
    CSessionsTabPage* pPage = dialog.GetSessionsTabPage();
    CSession* pSession = pPage ? pPage->TakeUserSelectedSessionNodes().release() : nullptr;
    OpenUrls(pSession, currentSession.GetUrlItemsCount());
}

// ---- Capture

void CQuillmereBHO::GetCurrentSessionUrls(CSession& session)
{
    std::vector<DWORD> processIds;
    if (GetBrowserProcessIds(&processIds) == 0)
        return;

    for (DWORD dwProcessId : processIds)
    {
        std::vector<HWND> frames;
        CFrameSearch search{{&frames, nullptr}, dwProcessId};
        EnumWindows(EnumFrameWindowsProc, reinterpret_cast<LPARAM>(&search));
        search.RethrowFailure();

        for (HWND hFrame : frames)
        {
            CInstanceSet instanceSet;
            std::vector<HWND> serverWindows;
            GetServerWindows(hFrame, serverWindows);
            if (serverWindows.empty())
                continue;

            std::vector<CComPtr<IHTMLDocument2>> documents;
            GetHtmlDocuments(serverWindows, documents);
            if (documents.empty())
                continue;

            for (CComPtr<IHTMLDocument2>& spDocument : documents)
            {
                CComBSTR bstrUrl;
                CComBSTR bstrTitle;
                if (SUCCEEDED(spDocument->get_URL(&bstrUrl)) &&
                    SUCCEEDED(spDocument->get_title(&bstrTitle)))
                    instanceSet.AddUrlItem(CUrlItem(bstrUrl, bstrTitle));
                spDocument.Release();
            }
            session.AddInstanceSet(instanceSet);
        }
    }
}

void CQuillmereBHO::GetHtmlDocuments(const std::vector<HWND>& serverWindows,
                                     std::vector<CComPtr<IHTMLDocument2>>& documents)
{
    const UINT nMsg = RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    if (nMsg == 0)
        return;

    for (HWND hServer : serverWindows)
    {
        DWORD_PTR dwResult = 0;
        // A send that timed out or failed leaves no answer to use, whatever it wrote.
        if (!SendMessageTimeoutW(hServer, nMsg, 0, 0, SMTO_ABORTIFHUNG, kDocumentTimeoutMs,
                                 &dwResult) ||
            dwResult == 0)
            continue;

        ThrowIfNull(
            m_hActiveAccessibilityLibraryInst,
            "CQuillmereBHO::GetHtmlDocuments() - m_hActiveAccessibilityLibraryInst is NULL");
        const auto pfnObjectFromLresult =
            reinterpret_cast<ObjectFromLresultFn>(reinterpret_cast<void*>(
                GetProcAddress(m_hActiveAccessibilityLibraryInst, "ObjectFromLresult")));
        if (!pfnObjectFromLresult)
            continue;

        CComPtr<IHTMLDocument2> spDocument;
        if (FAILED(pfnObjectFromLresult(static_cast<LRESULT>(dwResult), IID_IHTMLDocument2, 0,
                                        reinterpret_cast<void**>(&spDocument))) ||
            !spDocument)
            continue;
        documents.push_back(spDocument);
    }
}

int CQuillmereBHO::GetBrowserProcessIds(std::vector<DWORD>* pProcessIds)
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return 0;
    // Closed on every way out, allocation failures included.
    const std::unique_ptr<void, decltype(&CloseHandle)> snapshot(hSnapshot, &CloseHandle);

    int nCount = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bFound = Process32FirstW(hSnapshot, &entry); bFound == TRUE;)
    {
        if (std::wcscmp(entry.szExeFile, kBrowserProcessName) == 0)
        {
            ++nCount;
            if (pProcessIds)
                pProcessIds->push_back(entry.th32ProcessID);
        }
        entry = PROCESSENTRY32W();
        entry.dwSize = sizeof(entry);
        bFound = Process32NextW(hSnapshot, &entry);
    }
    return nCount;
}

void CQuillmereBHO::GetServerWindows(HWND hFrame, std::vector<HWND>& serverWindows)
{
    CWindowSearch search{&serverWindows, nullptr};
    EnumChildWindows(hFrame, EnumServerWindowsProc, reinterpret_cast<LPARAM>(&search));
    search.RethrowFailure();
}

// Both callbacks go on to the end of the enumeration; only a failure to keep a window stops it.
BOOL CALLBACK CQuillmereBHO::EnumFrameWindowsProc(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CFrameSearch*>(lParam);
    DWORD dwProcessId = 0;
    if (HasClass(hWnd, kFrameWindowClass) && GetWindowThreadProcessId(hWnd, &dwProcessId) &&
        dwProcessId == pSearch->dwProcessId)
        return pSearch->Keep(hWnd);
    return TRUE;
}

BOOL CALLBACK CQuillmereBHO::EnumServerWindowsProc(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CWindowSearch*>(lParam);
    if (HasClass(hWnd, kServerWindowClass))
        return pSearch->Keep(hWnd);
    return TRUE;
}

// ---- Opening

void CQuillmereBHO::OpenUrls(CSession* pSession, int nCurrentTabCount)
{
    std::unique_ptr<CSession> spSession(pSession);
    try
    {
        ThrowIfNull(pSession, "CQuillmereBHO::OpenUrls() - pSession is NULL");
        for (int i = 0; i < spSession->GetInstanceSetsCount(); ++i)
        {
            const CInstanceSet* pInstanceSet = spSession->GetInstanceSet(i);
            const std::vector<CUrlItem>& urlItems = pInstanceSet->GetUrlItems();
            const CUrlItem* pUrlItems = urlItems.empty() ? nullptr : urlItems.data();
            // Without a browser of its own (never sited) the object opens every window anew.
            if (i == 0 && nCurrentTabCount < kReuseThreshold && m_spWebBrowser)
                OpenUrlsInCurrentWindow(m_spWebBrowser, pUrlItems,
                                        pInstanceSet->GetUrlItemsCount());
            else
                OpenUrlsInNewWindow(pUrlItems, pInstanceSet->GetUrlItemsCount());
        }
    }
    catch (const std::exception& e)
    {
        spSession.reset();
        const std::wstring strReason = WidenExceptionText(e.what());
        if (!strReason.empty())
            ShowErrorBox(IDS_UNABLE_TO_OPEN_URLS,
                         FormatResString(IDS_OPEN_URLS_REASON, strReason.c_str()));
        else
            ShowErrorBox(IDS_UNABLE_TO_OPEN_URLS, IDS_OPEN_URLS_UNKNOWN);
    }
    catch (...)
    {
        spSession.reset();
        ShowErrorBox(IDS_UNABLE_TO_OPEN_URLS, IDS_OPEN_URLS_UNKNOWN);
    }
}

void CQuillmereBHO::OpenUrlsInCurrentWindow(CComPtr<IWebBrowser2>& spWebBrowser,
                                            const CUrlItem* pUrlItems, int nUrlItems)
{
    if (!pUrlItems || nUrlItems < 1 || pUrlItems[0].GetUrlRef().empty())
        return;

    // The first page replaces the current one only while the browser shows its start page (or
    // when that cannot be told); otherwise the user's page stays and the first opens beside it.
    bool bFirstInNewTab = false;
    std::wstring strStartPage;
    if (ReadStartPage(strStartPage))
    {
        CComBSTR bstrLocation;
        if (SUCCEEDED(spWebBrowser->get_LocationURL(&bstrLocation)))
        {
            CComBSTR bstrStartPage;
            CopyToBstr(strStartPage, bstrStartPage);
            bFirstInNewTab = !AreEqual(bstrLocation, bstrStartPage);
        }
    }

    // A failed read counts as no location at all, whatever it left behind.
    CComBSTR bstrRead;
    const BSTR bstrLocation =
        SUCCEEDED(spWebBrowser->get_LocationURL(&bstrRead)) ? bstrRead.Get() : nullptr;

    for (int i = 0; i < nUrlItems; ++i)
    {
        CComBSTR bstrUrl;
        CopyToBstr(pUrlItems[i].GetUrlRef(), bstrUrl);
        if (AreEqual(bstrUrl, bstrLocation))
            continue;
        Navigate(spWebBrowser.Get(), pUrlItems[i].GetUrlRef(), i > 0 || bFirstInNewTab);
    }
}

HRESULT CQuillmereBHO::OpenUrlsInNewWindow(const CUrlItem* pUrlItems, int nUrlItems)
{
    if (!pUrlItems || nUrlItems < 1)
        return S_OK;

    CComPtr<IWebBrowser2> spWebBrowser;
    HRESULT hr = CoCreateInstance(CLSID_InternetExplorer, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IWebBrowser2, reinterpret_cast<void**>(&spWebBrowser));
    if (FAILED(hr))
        return hr;
    if (!spWebBrowser)
        return E_NOINTERFACE;

    hr = spWebBrowser->put_Visible(VARIANT_TRUE);
    for (int i = 0; i < nUrlItems && SUCCEEDED(hr); ++i)
        hr = Navigate(spWebBrowser.Get(), pUrlItems[i].GetUrlRef(), i > 0);
    return hr;
}
