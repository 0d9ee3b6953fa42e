#include "demo/support/session_folder_aside.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "session/session_folder.h"
#include "session/text_conversion.h"

namespace
{
bool Exists(const std::wstring& strPath)
{
    return ::GetFileAttributesW(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ErrorText(const std::string& strWhat, DWORD nError)
{
    return strWhat + " (error " + std::to_string(nError) + ")";
}
}  // namespace

std::vector<std::wstring> PlainFileNames(const std::wstring& strFolder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE hFind = ::FindFirstFileW((strFolder + L"\\*").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (::FindNextFileW(hFind, &found));
    ::FindClose(hFind);
    return names;
}

bool IsFolder(const std::wstring& strPath)
{
    const DWORD dwAttributes = ::GetFileAttributesW(strPath.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

CSessionFolderAside::CSessionFolderAside(const std::wstring& strSuffix)
{
    GetSessionFolder(m_strPath);
    if (m_strPath.empty())
        throw std::runtime_error("this profile has no session folder");
    m_strAside = m_strPath + strSuffix;
    if (Exists(m_strAside))
        throw std::runtime_error("an earlier run left the session folder at " + WideToUtf8(m_strAside) +
                                 "; put it back at " + WideToUtf8(m_strPath) + " first");
    m_bHadFolder = Exists(m_strPath);
    if (m_bHadFolder && !::MoveFileW(m_strPath.c_str(), m_strAside.c_str()))
        throw std::runtime_error(ErrorText("cannot set " + WideToUtf8(m_strPath) + " aside", ::GetLastError()));
    if (!::CreateDirectoryW(m_strPath.c_str(), nullptr))
    {
        const DWORD nError = ::GetLastError();
        if (m_bHadFolder)
            ::MoveFileW(m_strAside.c_str(), m_strPath.c_str());
        throw std::runtime_error(ErrorText("cannot create " + WideToUtf8(m_strPath), nError));
    }
}

CSessionFolderAside::~CSessionFolderAside()
{
    std::string strWhy;
    if (!m_bPutBack && !PutBack(strWhy))
        std::fprintf(stderr, "%s\n", strWhy.c_str());
}

bool CSessionFolderAside::Remove() const
{
    if (!IsFolder(m_strPath))
        return !Exists(m_strPath) || ::DeleteFileW(m_strPath.c_str());
    for (const std::wstring& strName : PlainFileNames(m_strPath))
        ::DeleteFileW((m_strPath + L"\\" + strName).c_str());
    return ::RemoveDirectoryW(m_strPath.c_str()) != FALSE;
}

bool CSessionFolderAside::PutBack(std::string& strWhy)
{
    m_bPutBack = true;
    if (!Remove())
    {
        strWhy = WideToUtf8(m_strPath) + " is not empty; the user's folder stays at " + WideToUtf8(m_strAside);
        return false;
    }
    if (m_bHadFolder && !::MoveFileW(m_strAside.c_str(), m_strPath.c_str()))
    {
        strWhy = ErrorText("cannot put " + WideToUtf8(m_strAside) + " back", ::GetLastError());
        return false;
    }
    return true;
}
