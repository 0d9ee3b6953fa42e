#include "add_on_test_support.h"

#include "recording_add_on.h"
#include "text_fields.h"

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

CTestKeys::~CTestKeys()
{
    for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
    {
        RegDeleteTreeW(it->first, it->second.c_str());
        RegDeleteKeyW(it->first, it->second.c_str());
    }
}

bool CTestKeys::SetText(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName,
                        const std::wstring& strText)
{
    m_keys.emplace_back(hRoot, strKey);
    return RegSetKeyValueW(hRoot, strKey.c_str(), strName.empty() ? nullptr : strName.c_str(),
                           REG_SZ, strText.c_str(),
                           static_cast<DWORD>((strText.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
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

CAddOnRecord::CAddOnRecord()
{
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    m_strPath =
        std::wstring(szTemp) + L"qlmr-record-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(m_strPath.c_str());
    SetEnvironmentVariableW(recording_add_on::kRecordVariable, m_strPath.c_str());
}

CAddOnRecord::~CAddOnRecord()
{
    SetEnvironmentVariableW(recording_add_on::kRecordVariable, nullptr);
    DeleteFileW(m_strPath.c_str());
}

std::string CAddOnRecord::Text() const
{
    CHandle file(CreateFileW(m_strPath.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string strText;
    if (file.Get() == INVALID_HANDLE_VALUE)
        return strText;
    char buffer[4096];
    DWORD dwRead = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0)
        strText.append(buffer, dwRead);
    return strText;
}

std::vector<std::vector<std::wstring>> CAddOnRecord::Fields() const
{
    std::vector<std::vector<std::wstring>> lines;
    for (const std::wstring& strLine : Split(FromUtf8(Text()), L'\n'))
    {
        if (!strLine.empty())
            lines.push_back(Split(strLine, L'\t'));
    }
    return lines;
}

std::vector<std::wstring> CAddOnRecord::Objects() const
{
    std::vector<std::wstring> objects;
    for (const std::vector<std::wstring>& fields : Fields())
    {
        if (fields.size() == 2 && fields[0] == L"created")
            objects.push_back(fields[1]);
    }
    return objects;
}

std::vector<std::wstring> CAddOnRecord::Lines(const std::wstring& strObject) const
{
    std::vector<std::wstring> lines;
    for (const std::vector<std::wstring>& fields : Fields())
    {
        if (fields.size() < 2 || fields[1] != strObject)
            continue;
        std::wstring strLine = fields[0];
        for (size_t i = 2; i < fields.size(); ++i)
            strLine += L' ' + fields[i];
        lines.push_back(strLine);
    }
    return lines;
}

std::wstring HandleNumber(HWND hWnd)
{
    return std::to_wstring(reinterpret_cast<ULONG_PTR>(hWnd));
}
