#include "quillmere_bho.h"

#include <mshtml.h>
#include <tlhelp32.h>

#include <cstring>
#include <cwchar>
#include <exception>
#include <memory>
#include <string>

#include "error_box.h"
#include "exceptions.h"
#include "resource.h"
#include "string_table.h"
#include "throw_if.h"

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

// What EnumFrameWindowsProc looks for and where it puts what it finds.
struct CFrameSearch
{
    DWORD dwProcessId;
    std::vector<HWND>* pFrames;
    std::exception_ptr pError;
};

struct CServerSearch
{
    std::vector<HWND>* pServers;
    std::exception_ptr pError;
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
    if (m_hActiveAccessibilityLibraryInst)
        FreeLibrary(m_hActiveAccessibilityLibraryInst);
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
        CFrameSearch search{dwProcessId, &frames, nullptr};
        EnumWindows(EnumFrameWindowsProc, reinterpret_cast<LPARAM>(&search));
        if (search.pError)
            std::rethrow_exception(search.pError);

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
    CServerSearch search{&serverWindows, nullptr};
    EnumChildWindows(hFrame, EnumServerWindowsProc, reinterpret_cast<LPARAM>(&search));
    if (search.pError)
        std::rethrow_exception(search.pError);
}

// Both callbacks go on to the end of the enumeration; only an allocation failure stops it, to be
// raised again once the enumeration has returned (an exception must not unwind through it).
BOOL CALLBACK CQuillmereBHO::EnumFrameWindowsProc(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CFrameSearch*>(lParam);
    DWORD dwProcessId = 0;
    if (HasClass(hWnd, kFrameWindowClass) && GetWindowThreadProcessId(hWnd, &dwProcessId) &&
        dwProcessId == pSearch->dwProcessId)
    {
        try
        {
            pSearch->pFrames->push_back(hWnd);
        }
        catch (...)
        {
            pSearch->pError = std::current_exception();
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CALLBACK CQuillmereBHO::EnumServerWindowsProc(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CServerSearch*>(lParam);
    if (HasClass(hWnd, kServerWindowClass))
    {
        try
        {
            pSearch->pServers->push_back(hWnd);
        }
        catch (...)
        {
            pSearch->pError = std::current_exception();
            return FALSE;
        }
    }
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
