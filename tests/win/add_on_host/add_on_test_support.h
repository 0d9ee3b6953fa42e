// What tests of add-ons in the browser share: running a program to its end, registering a COM
// server the way an installer does, keys a test writes and takes away again, and the record that
// the recording add-on keeps.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

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

// Registry keys below HKLM or HKCU that a test writes; each is removed with everything below it
// when the object goes.
class CTestKeys
{
public:
    CTestKeys() = default;
    ~CTestKeys();
    CTestKeys(const CTestKeys&) = delete;
    CTestKeys& operator=(const CTestKeys&) = delete;

    // Writes a string value (the key's default value for an empty name), creating the key.
    bool SetText(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName,
                 const std::wstring& strText);

private:
    std::vector<std::pair<HKEY, std::wstring>> m_keys;
};

bool KeyExists(HKEY hRoot, const std::wstring& strKey);
// A string value, or empty when the key or the value is missing.
std::wstring ReadText(HKEY hRoot, const std::wstring& strKey, const std::wstring& strName);

// The recording add-on's record in a file of the temporary folder that the object names in the
// environment, for every process the test starts from now on; file and variable go with it.
class CAddOnRecord
{
public:
    CAddOnRecord();
    ~CAddOnRecord();
    CAddOnRecord(const CAddOnRecord&) = delete;
    CAddOnRecord& operator=(const CAddOnRecord&) = delete;

    // The objects in the order they were made ("PID.N").
    std::vector<std::wstring> Objects() const;
    // What happened to one object, each line without its kind's object field, joined with spaces
    // ("site 65616 http://a/ 0x00000000 0x00000000").
    std::vector<std::wstring> Lines(const std::wstring& strObject) const;
    std::string Text() const;

private:
    std::vector<std::vector<std::wstring>> Fields() const;

    std::wstring m_strPath;
};

// A window handle as the logs write it.
std::wstring HandleNumber(HWND hWnd);
