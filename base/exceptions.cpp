#include "base/exceptions.h"

#include <algorithm>

CException::~CException() = default;

std::wstring CException::GetErrorMessage() const
{
    wchar_t szMessage[1024];
    if (!GetErrorMessage(szMessage, sizeof(szMessage) / sizeof(szMessage[0])))
        return std::wstring();
    return szMessage;
}

bool CException::CopyMessage(const std::wstring& strMessage, wchar_t* lpszError, unsigned nMaxError)
{
    if (lpszError == nullptr || nMaxError == 0)
        return false;
    const std::size_t nCopy = std::min<std::size_t>(strMessage.size(), nMaxError - 1);
    strMessage.copy(lpszError, nCopy);
    lpszError[nCopy] = L'\0';
    return !strMessage.empty();
}

bool COleException::GetErrorMessage(wchar_t* lpszError, unsigned nMaxError, unsigned* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    return CopyMessage(SystemMessage(m_sc), lpszError, nMaxError);
}

bool CMemoryException::GetErrorMessage(wchar_t* lpszError, unsigned nMaxError, unsigned* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    return CopyMessage(L"Out of memory", lpszError, nMaxError);
}

bool CFileException::GetErrorMessage(wchar_t* lpszError, unsigned nMaxError, unsigned* pnHelpContext) const
{
    if (pnHelpContext)
        *pnHelpContext = 0;
    const std::wstring strFile = m_strFileName.empty() ? L"an unnamed file" : L"'" + m_strFileName + L"'";
    std::wstring strMessage;
    switch (m_cause)
    {
    case none: strMessage = L"No error occurred"; break;
    case fileNotFound: strMessage = strFile + L" was not found"; break;
    case badPath: strMessage = L"The path of " + strFile + L" is not valid"; break;
    case tooManyOpenFiles: strMessage = L"Too many files are open to open " + strFile; break;
    case accessDenied: strMessage = L"Access to " + strFile + L" was denied"; break;
    case invalidFile: strMessage = L"The handle of " + strFile + L" is not valid"; break;
    case removeCurrentDir: strMessage = strFile + L" is the current folder and cannot be removed"; break;
    case directoryFull: strMessage = L"The folder is full: " + strFile + L" cannot be created"; break;
    case badSeek: strMessage = L"A seek in " + strFile + L" failed"; break;
    case hardIO: strMessage = L"The device reported an error while accessing " + strFile; break;
    case sharingViolation: strMessage = strFile + L" is in use by another program"; break;
    case lockViolation: strMessage = L"A region of " + strFile + L" is locked"; break;
    case diskFull: strMessage = L"The disk is full while writing " + strFile; break;
    case endOfFile: strMessage = L"The end of " + strFile + L" was reached early"; break;
    case genericException:
    default: strMessage = L"An error occurred while accessing " + strFile; break;
    }
    return CopyMessage(strMessage, lpszError, nMaxError);
}

void ThrowOleException(HRESULT_T sc)
{
    if (sc == kEOutOfMemory)
        throw CMemoryException();
    throw COleException(sc);
}
