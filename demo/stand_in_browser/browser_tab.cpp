#include "demo/stand_in_browser/browser_tab.h"

#include "demo/stand_in_browser/argument_quoting.h"
#include "demo/stand_in_browser/browser_frame.h"

namespace
{
const wchar_t kTabWindowClass[] = L"QuillmereStandInTab";
const wchar_t kViewClass[] = L"QuillmereStandInView";
const wchar_t kServerClass[] = L"Internet Explorer_Server";
const DWORD kRemoteStartMs = 20000;

bool RegisterPlainClass(const wchar_t* pszName)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = pszName;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateFilling(const wchar_t* pszClass, HWND hParent, DWORD dwStyle)
{
    RECT rc = {};
    GetClientRect(hParent, &rc);
    return CreateWindowExW(0, pszClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | dwStyle,
                           0, 0, rc.right, rc.bottom, hParent, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

std::wstring ModulePath()
{
    wchar_t szPath[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, szPath, ARRAYSIZE(szPath));
    return szPath;
}
} // namespace

CBrowserTab::CBrowserTab(CBrowserFrame& frame, const CTabSetup& setup)
    : m_frame(frame), m_setup(setup)
{
}

CBrowserTab::~CBrowserTab()
{
    if (m_pWebBrowser)
    {
        if (m_spContent)
            m_spContent->SetWebBrowser(nullptr);
        m_pWebBrowser->Detach();
        CoDisconnectObject(static_cast<IWebBrowser2*>(m_pWebBrowser), 0);
        m_pWebBrowser->Release();
    }
    if (m_hungThread.joinable())
    {
        // The process releases hung tabs before its windows go; this ends the thread's loop.
        PostThreadMessageW(m_dwHungThreadId, WM_QUIT, 0, 0);
        m_hungThread.join();
    }
    if (m_hHostProcess)
        CloseHandle(m_hHostProcess);
}

bool CBrowserTab::RegisterWindowClasses()
{
    return RegisterPlainClass(kTabWindowClass) && RegisterPlainClass(kViewClass) &&
           CTabContent::RegisterWindowClass();
}

bool CBrowserTab::Create(HWND hParent)
{
    m_hTabWindow = CreateFilling(kTabWindowClass, hParent, 0);
    m_hView = m_hTabWindow ? CreateFilling(kViewClass, m_hTabWindow, WS_VISIBLE) : nullptr;
    if (!m_hView)
        return false;

    if (m_setup.bRemote)
        return CreateRemoteContent();
    m_spContent = std::make_unique<CTabContent>(m_setup);
    if (m_setup.bHang)
        return CreateHungContent();

    if (!m_spContent->Create(m_hView, false))
        return false;
    m_hServer = m_spContent->Hwnd();
    m_pWebBrowser = new CWebBrowser(this);
    m_spContent->SetWebBrowser(m_pWebBrowser);
    return true;
}

bool CBrowserTab::CreateHungContent()
{
    HANDLE hCreated = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!hCreated)
        return false;
    CTabContent* pContent = m_spContent.get();
    const HWND hView = m_hView;
    DWORD* pdwThreadId = &m_dwHungThreadId;
    m_hungThread = std::thread([pContent, hView, hCreated, pdwThreadId] {
        *pdwThreadId = GetCurrentThreadId();
        pContent->Create(hView, false);
        SetEvent(hCreated);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    });
    WaitForSingleObject(hCreated, INFINITE);
    CloseHandle(hCreated);
    m_hServer = m_spContent->Hwnd();
    return m_hServer != nullptr;
}

bool CBrowserTab::CreateRemoteContent()
{
    const std::wstring strExe = ModulePath();
    std::wstring strCommand = QuoteArgument(strExe) + L" -tabhost " +
                              std::to_wstring(reinterpret_cast<ULONG_PTR>(m_hView)) + L' ' +
                              std::to_wstring(GetCurrentProcessId()) + L' ' +
                              QuoteArgument(FormatTabSetup(m_setup));
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(strExe.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_hHostProcess = pi.hProcess;

    // The host makes its window a child of our view: keep answering what that sends here.
    const DWORD dwStart = GetTickCount();
    while (!m_hServer && GetTickCount() - dwStart < kRemoteStartMs)
    {
        m_hServer = FindWindowExW(m_hView, nullptr, kServerClass, nullptr);
        if (m_hServer)
            break;
        if (MsgWaitForMultipleObjects(1, &m_hHostProcess, FALSE, 20, QS_ALLINPUT) == WAIT_OBJECT_0)
            return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return m_hServer != nullptr;
}
