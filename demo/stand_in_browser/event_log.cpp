#include "demo/stand_in_browser/event_log.h"

CEventLog::~CEventLog()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

bool CEventLog::Open(const std::wstring& strPath)
{
    m_hFile = CreateFileW(strPath.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return m_hFile != INVALID_HANDLE_VALUE;
}

void CEventLog::Write(std::initializer_list<std::wstring> fields)
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    std::wstring strLine;
    for (const std::wstring& strField : fields)
    {
        if (!strLine.empty())
            strLine += L'\t';
        strLine += strField;
    }
    strLine += L'\n';
    const int n = WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string strBytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()), &strBytes[0],
                        n, nullptr, nullptr);
    DWORD dwWritten = 0;
    WriteFile(m_hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &dwWritten, nullptr);
}

std::wstring HandleText(HWND hWnd)
{
    return std::to_wstring(reinterpret_cast<ULONG_PTR>(hWnd));
}
