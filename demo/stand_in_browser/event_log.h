// The stand-in's log: one UTF-8 line per event, fields separated by tabs, appended at once so that
// a test reading the file sees every event that has happened.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

class CEventLog
{
public:
    CEventLog() = default;
    ~CEventLog();
    CEventLog(const CEventLog&) = delete;
    CEventLog& operator=(const CEventLog&) = delete;

    // Without a file the log writes nothing.
    bool Open(const std::wstring& strPath);
    void Write(std::initializer_list<std::wstring> fields);

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};

std::wstring HandleText(HWND hWnd);
