#include "tests/support/harness/watchdog.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace
{
std::string ToUtf8(const wchar_t* pszText)
{
    const int nSize = WideCharToMultiByte(CP_UTF8, 0, pszText, -1, nullptr, 0, nullptr, nullptr);
    if (nSize <= 1)
        return {};
    std::string strResult(static_cast<size_t>(nSize), '\0');
    WideCharToMultiByte(CP_UTF8, 0, pszText, -1, &strResult[0], nSize, nullptr, nullptr);
    strResult.pop_back();
    for (char& ch : strResult)
        ch = (ch == '\r' || ch == '\n') ? ' ' : ch;
    return strResult;
}

// Lists the process's visible top-level windows. The test's thread is stuck, so nothing here may
// send it a message: InternalGetWindowText reads the text without one.
BOOL CALLBACK ReportWindow(HWND hWnd, LPARAM)
{
    DWORD nProcessId = 0;
    GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId != GetCurrentProcessId() || !IsWindowVisible(hWnd))
        return TRUE;
    wchar_t szClass[64] = L"";
    wchar_t szText[512] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    InternalGetWindowText(hWnd, szText, ARRAYSIZE(szText));
    std::fprintf(stderr, "watchdog: open window %s \"%s\"", ToUtf8(szClass).c_str(),
                 ToUtf8(szText).c_str());
    // A message box's text.
    if (HWND hText = GetDlgItem(hWnd, 0xFFFF))
    {
        InternalGetWindowText(hText, szText, ARRAYSIZE(szText));
        std::fprintf(stderr, ": \"%s\"", ToUtf8(szText).c_str());
    }
    std::fprintf(stderr, "\n");
    return TRUE;
}
} // namespace

CWatchdog::CWatchdog(unsigned nSeconds) : m_nSeconds(nSeconds)
{
    if (m_nSeconds > 0)
        m_thread = std::thread([this] { Run(); });
}

CWatchdog::~CWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CWatchdog::Arm(const std::string& strTestName)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = true;
        m_strTestName = strTestName;
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_nSeconds);
    }
    m_changed.notify_all();
}

void CWatchdog::Disarm()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bArmed = false;
    }
    m_changed.notify_all();
}

unsigned CWatchdog::SecondsFromEnvironment(unsigned nDefault)
{
    const char* pszValue = std::getenv("QLMR_TEST_CASE_SECONDS");
    if (!pszValue || !*pszValue)
        return nDefault;
    char* pszEnd = nullptr;
    const unsigned long nValue = std::strtoul(pszValue, &pszEnd, 10);
    if (*pszEnd != '\0' || nValue > 24 * 3600)
        return nDefault;
    return static_cast<unsigned>(nValue);
}

void CWatchdog::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_bStop)
    {
        if (!m_bArmed)
        {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, m_deadline) == std::cv_status::timeout && m_bArmed &&
            !m_bStop && std::chrono::steady_clock::now() >= m_deadline)
        {
            Expire(m_strTestName);
        }
    }
}

void CWatchdog::Expire(const std::string& strTestName)
{
    // What the test printed so far would be lost with the process.
    std::fflush(stdout);
    std::fprintf(stderr, "\n%s: watchdog: test case took too long (more than %u s)\n",
                 strTestName.c_str(), m_nSeconds);
    EnumWindows(&ReportWindow, 0);
    std::fflush(stderr);
    // Not ExitProcess: the stuck thread holds no promise to let DLL detach code run in peace.
    TerminateProcess(GetCurrentProcess(), kExitCode);
    std::abort();
}
