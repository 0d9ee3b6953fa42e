// What tests of the add-on in the browser share: running a program to its end, registering a COM
// server the way an installer does, and reading the registry.
#pragma once

#include <windows.h>

#include <string>

// Runs a command line to its end and gives its exit code; -1 when it could not be started or did
// not end in time (it is then ended). Its standard handles are the null device, so nothing it
// starts can hold the pipes of whoever runs the test.
int RunProgram(const std::wstring& strCommandLine, DWORD nTimeoutMs = 30000);

// The system's regsvr32 with these arguments; its exit code.
int RunRegsvr32(const std::wstring& strArguments);

// A COM server registered with "regsvr32 /s" and unregistered with "regsvr32 /u /s" when the
// object goes, also when the test failed.
class CServerRegistration
{
public:
    CServerRegistration() = default;
    ~CServerRegistration();
    CServerRegistration(const CServerRegistration&) = delete;
    CServerRegistration& operator=(const CServerRegistration&) = delete;

    // regsvr32's exit code: 0 when registered.
    int Register(const std::wstring& strDllPath);
    int Unregister();

private:
    std::wstring m_strDllPath;
};

bool KeyExists(HKEY hRoot, const std::wstring& strKey);
// A string value, or empty when the key or the value is missing.
std::wstring ReadText(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName);
