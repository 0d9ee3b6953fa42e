#include "tests/win/add_on_host/add_on_test_support.h"


namespace
{
class CHandle
{
public:
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle()
    {
        if (m_h && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};
} // namespace

int RunProgram(const std::wstring& strCommandLine, DWORD nTimeoutMs)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    CHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul.Get();
    PROCESS_INFORMATION pi = {};
    std::wstring strCommand = strCommandLine;
    if (!CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    CHandle process(pi.hProcess);
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(process.Get(), nTimeoutMs) != WAIT_OBJECT_0)
    {
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), 5000);
        return -1;
    }
    DWORD dwExit = 0;
    GetExitCodeProcess(process.Get(), &dwExit);
    return static_cast<int>(dwExit);
}

int RunRegsvr32(const std::wstring& strArguments)
{
    wchar_t szSystem[MAX_PATH] = L"";
    GetSystemDirectoryW(szSystem, MAX_PATH);
    return RunProgram(L"\"" + std::wstring(szSystem) + L"\\regsvr32.exe\" " + strArguments);
}

CServerRegistration::~CServerRegistration()
{
    Unregister();
}

int CServerRegistration::Register(const std::wstring& strDllPath)
{
    m_strDllPath = strDllPath;
    return RunRegsvr32(L"/s \"" + strDllPath + L"\"");
}

int CServerRegistration::Unregister()
{
    if (m_strDllPath.empty())
        return 0;
    const int nResult = RunRegsvr32(L"/u /s \"" + m_strDllPath + L"\"");
    m_strDllPath.clear();
    return nResult;
}

bool KeyExists(HKEY hRoot, const std::wstring& strKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, strKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

std::wstring ReadText(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName)
{
    wchar_t szValue[2048] = L"";
    DWORD cbValue = sizeof(szValue);
    if (RegGetValueW(hRoot, strKey.c_str(), strName.empty() ? nullptr : strName.c_str(),
                     RRF_RT_REG_SZ, nullptr, szValue, &cbValue) != ERROR_SUCCESS)
        return std::wstring();
    return szValue;
}
