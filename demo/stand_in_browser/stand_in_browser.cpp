#include "demo/stand_in_browser/stand_in_browser.h"

#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>

#include "demo/stand_in_browser/argument_quoting.h"
#include "demo/stand_in_browser/text_fields.h"

namespace
{
const DWORD kReadyTimeoutMs = 30000;
const DWORD kEndTimeoutMs = 5000;
const wchar_t kMainKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t kStartPageValue[] = L"Start Page";

HANDLE OpenInheritable(const std::wstring& strPath, DWORD dwAccess, DWORD dwDisposition)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    return CreateFileW(strPath.c_str(), dwAccess,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa, dwDisposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Every browser process below dwParent, deepest first. Only browsers: the first window of a Wine
// session also starts the desktop process below whoever made it, and that one must stay.
void CollectBrowsersBelow(DWORD dwParent, std::vector<DWORD>& processIds)
{
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return;
    struct CProcess
    {
        DWORD dwId;
        DWORD dwParent;
        bool bBrowser;
    };
    std::vector<CProcess> all;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore;
         bMore = Process32NextW(hSnapshot, &entry))
        all.push_back({entry.th32ProcessID, entry.th32ParentProcessID,
                       _wcsicmp(entry.szExeFile, L"iexplore.exe") == 0});
    CloseHandle(hSnapshot);

    std::vector<DWORD> parents{dwParent};
    std::vector<DWORD> found;
    for (size_t i = 0; i < parents.size(); ++i)
    {
        for (const CProcess& process : all)
        {
            if (process.bBrowser && process.dwParent == parents[i] && process.dwId != dwParent &&
                std::find(found.begin(), found.end(), process.dwId) == found.end())
            {
                found.push_back(process.dwId);
                parents.push_back(process.dwId);
            }
        }
    }
    processIds.insert(processIds.end(), found.rbegin(), found.rend());
}

void EndProcess(HANDLE hProcess)
{
    if (WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(hProcess, 1);
        WaitForSingleObject(hProcess, kEndTimeoutMs);
    }
}

// Asks every thread of the process to quit, which ends a stand-in in order, then makes sure.
void EndProcessById(DWORD dwProcessId)
{
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId);
    if (!hProcess)
        return;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnapshot != INVALID_HANDLE_VALUE)
    {
        THREADENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL bMore = Thread32First(hSnapshot, &entry); bMore;
             bMore = Thread32Next(hSnapshot, &entry))
        {
            if (entry.th32OwnerProcessID == dwProcessId)
                PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
        }
        CloseHandle(hSnapshot);
        WaitForSingleObject(hProcess, kEndTimeoutMs);
    }
    EndProcess(hProcess);
    CloseHandle(hProcess);
}
} // namespace

CStandInBrowser::~CStandInBrowser()
{
    End();
}

bool CStandInBrowser::Start(const std::vector<std::wstring>& args, EName name)
{
    End();
    static LONG s_nStarted = 0;
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    m_strFolder = std::wstring(szTemp) + L"qlmr-standin-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(InterlockedIncrement(&s_nStarted));
    CreateDirectoryW(m_strFolder.c_str(), nullptr);
    m_strLogFile = m_strFolder + L"\\log.txt";
    DeleteFileW(m_strLogFile.c_str());

    const std::wstring strExe =
        name == EName::Browser ? QLMR_STAND_IN_BROWSER : QLMR_STAND_IN_BROWSER_CAPITALS;
    std::wstring strCommand = QuoteArgument(strExe) + L" -log " + QuoteArgument(m_strLogFile) +
                              L" -owner " + std::to_wstring(GetCurrentProcessId());
    for (const std::wstring& strArg : args)
        strCommand += L' ' + QuoteArgument(strArg);

    // Wine hands a child the Unix descriptors behind its standard handles: files of its own, so
    // that it never holds the pipes of whoever runs the test.
    HANDLE hInput =
        OpenInheritable(m_strFolder + L"\\input.txt", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE hOutput = OpenInheritable(m_strFolder + L"\\output.txt", GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hInput;
    si.hStdOutput = hOutput;
    si.hStdError = hOutput;
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted = CreateProcessW(strExe.c_str(), &strCommand[0], nullptr, nullptr, TRUE, 0,
                                         nullptr, nullptr, &si, &pi);
    CloseHandle(hInput);
    CloseHandle(hOutput);
    if (!bStarted)
    {
        m_strError = L"cannot start " + strExe + L": error " + std::to_wstring(GetLastError());
        return false;
    }
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwProcessId = pi.dwProcessId;
    m_dwThreadId = pi.dwThreadId;

    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (!Events(standin::kLogReady).empty())
            return true;
        if (WaitForSingleObject(m_hProcess, 25) == WAIT_OBJECT_0)
        {
            DWORD dwExit = 0;
            GetExitCodeProcess(m_hProcess, &dwExit);
            m_strError = L"the stand-in browser ended with code " + std::to_wstring(dwExit) +
                         L" before it was ready";
            return false;
        }
        if (GetTickCount() - dwStart > kReadyTimeoutMs)
        {
            m_strError = L"the stand-in browser was not ready in time";
            return false;
        }
    }
}

void CStandInBrowser::End()
{
    if (m_hProcess)
    {
        // Its tab processes first: they would go with it, but not necessarily at once.
        std::vector<DWORD> descendants;
        CollectBrowsersBelow(m_dwProcessId, descendants);
        // In order first: it withdraws its class object, which a killed process would leave behind.
        PostThreadMessageW(m_dwThreadId, WM_QUIT, 0, 0);
        WaitForSingleObject(m_hProcess, kEndTimeoutMs);
        EndProcess(m_hProcess);
        for (DWORD dwProcessId : descendants)
            EndProcessById(dwProcessId);
        CloseHandle(m_hProcess);
        m_hProcess = nullptr;
        m_dwProcessId = 0;
        m_dwThreadId = 0;
    }
    if (!m_strFolder.empty())
    {
        for (const wchar_t* pszName : {L"\\log.txt", L"\\input.txt", L"\\output.txt"})
            DeleteFileW((m_strFolder + pszName).c_str());
        RemoveDirectoryW(m_strFolder.c_str());
        m_strFolder.clear();
    }
}

std::string CStandInBrowser::LogText() const
{
    std::string strText;
    HANDLE hFile = CreateFileW(m_strLogFile.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return strText;
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0)
        strText.append(buffer, dwRead);
    CloseHandle(hFile);
    return strText;
}

std::vector<std::vector<std::wstring>> CStandInBrowser::LogLines() const
{
    std::vector<std::vector<std::wstring>> lines;
    const std::string strText = LogText();
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strText.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
        lines.push_back(Split(FromUtf8(strText.substr(nStart, nEnd - nStart)), L'\t'));
    return lines;
}

std::vector<std::wstring> CStandInBrowser::Events(const wchar_t* pszKind) const
{
    std::vector<std::wstring> events;
    for (const std::vector<std::wstring>& fields : LogLines())
    {
        if (fields[0] != pszKind)
            continue;
        std::wstring strEvent;
        for (size_t i = 1; i < fields.size(); ++i)
            strEvent += (i > 1 ? L" " : L"") + fields[i];
        events.push_back(strEvent);
    }
    return events;
}

HWND CStandInBrowser::Window(int nWindow) const
{
    const std::vector<HWND> windows = Logged(standin::kLogWindow, nWindow);
    return windows.empty() ? nullptr : windows[0];
}

std::vector<HWND> CStandInBrowser::Tabs(int nWindow) const
{
    return Logged(standin::kLogTab, nWindow);
}

std::vector<HWND> CStandInBrowser::Logged(const wchar_t* pszKind, int nWindow) const
{
    std::vector<HWND> windows;
    for (const std::vector<std::wstring>& fields : LogLines())
    {
        if (fields.size() >= 3 && fields[0] == pszKind && fields[1] == std::to_wstring(nWindow))
            windows.push_back(
                reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::stoull(fields[2]))));
    }
    return windows;
}

bool StandInWebBrowser(HWND hServer, IWebBrowser2** ppWebBrowser)
{
    *ppWebBrowser = nullptr;
    const UINT nMsg = RegisterWindowMessageW(standin::kGetWebBrowserMessage);
    DWORD_PTR dwResult = 0;
    if (!nMsg || !SendMessageTimeoutW(hServer, nMsg, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwResult) ||
        !dwResult)
        return false;
    if (FAILED(ObjectFromLresult(static_cast<LRESULT>(dwResult), IID_IWebBrowser2, 0,
                                 reinterpret_cast<void**>(ppWebBrowser))))
    {
        *ppWebBrowser = nullptr;
        return false;
    }
    return *ppWebBrowser != nullptr;
}

void EndBrowserProcesses()
{
    std::vector<DWORD> descendants;
    CollectBrowsersBelow(GetCurrentProcessId(), descendants);
    for (DWORD dwProcessId : descendants)
        EndProcessById(dwProcessId);
}

CStartPageSetting::CStartPageSetting()
{
    DWORD cbValue = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, RRF_RT_ANY, &m_dwType, nullptr,
                     &cbValue) != ERROR_SUCCESS)
        return;
    m_oldValue.resize(cbValue);
    m_bHadValue = RegGetValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, RRF_RT_ANY, &m_dwType,
                               m_oldValue.data(), &cbValue) == ERROR_SUCCESS;
    m_oldValue.resize(cbValue);
}

CStartPageSetting::~CStartPageSetting()
{
    if (m_bHadValue)
        RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, m_dwType, m_oldValue.data(),
                        static_cast<DWORD>(m_oldValue.size()));
    else
        Remove();
}

bool CStartPageSetting::Set(const std::wstring& strUrl)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, REG_SZ, strUrl.c_str(),
                           static_cast<DWORD>((strUrl.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

bool CStartPageSetting::SetBinary(const std::string& strBytes)
{
    return RegSetKeyValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, REG_BINARY,
                           strBytes.data(), static_cast<DWORD>(strBytes.size())) == ERROR_SUCCESS;
}

bool CStartPageSetting::Remove()
{
    const LSTATUS nStatus = RegDeleteKeyValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue);
    return nStatus == ERROR_SUCCESS || nStatus == ERROR_FILE_NOT_FOUND;
}
