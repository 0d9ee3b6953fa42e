#include "tools/preview/preview_folder.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "session/session_folder.h"
#include "session/text_conversion.h"

namespace
{
std::string Narrow(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

// The plain files of a folder, by name.
std::vector<std::wstring> PlainFiles(const std::wstring& strFolder)
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

bool Exists(const std::wstring& strPath)
{
    return ::GetFileAttributesW(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}
}  // namespace

std::wstring ToWindowsPath(const std::wstring& strPath)
{
    if (strPath.empty() || strPath[0] != L'/')
        return strPath;
    std::wstring strOut = L"Z:" + strPath;
    for (wchar_t& ch : strOut)
    {
        if (ch == L'/')
            ch = L'\\';
    }
    return strOut;
}

CPreviewFolder::CPreviewFolder(const std::wstring& strChosenFolder) : m_strChosen(strChosenFolder)
{
    if (!IsFolder(m_strChosen))
        throw std::runtime_error(Narrow(m_strChosen) + ": not a folder");
    GetSessionFolder(m_strSessionFolder);
    if (m_strSessionFolder.empty())
        throw std::runtime_error("this profile has no session folder");
    m_strAside = m_strSessionFolder + L".preview-aside";
    if (Exists(m_strAside))
        throw std::runtime_error("an earlier preview left the session folder at " + Narrow(m_strAside) +
                                 "; put it back at " + Narrow(m_strSessionFolder) + " first");

    m_bHadFolder = Exists(m_strSessionFolder);
    if (m_bHadFolder && !::MoveFileW(m_strSessionFolder.c_str(), m_strAside.c_str()))
        throw std::runtime_error("cannot set " + Narrow(m_strSessionFolder) + " aside (error " +
                                 std::to_string(::GetLastError()) + ")");
    if (!::CreateDirectoryW(m_strSessionFolder.c_str(), nullptr))
    {
        const DWORD nError = ::GetLastError();
        if (m_bHadFolder)
            ::MoveFileW(m_strAside.c_str(), m_strSessionFolder.c_str());
        throw std::runtime_error("cannot create " + Narrow(m_strSessionFolder) + " (error " +
                                 std::to_string(nError) + ")");
    }
    for (const std::wstring& strName : PlainFiles(m_strChosen))
    {
        if (::CopyFileW((m_strChosen + L"\\" + strName).c_str(), (m_strSessionFolder + L"\\" + strName).c_str(), TRUE))
            m_copied.insert(strName);
        else
            std::fprintf(stderr, "preview: cannot copy %s\n", Narrow(strName).c_str());
    }
}

CPreviewFolder::~CPreviewFolder()
{
    // The chosen folder follows the run: new and changed files are copied back, and files that
    // came from it and are gone now (deleted or renamed in the window) are removed from it.
    const std::vector<std::wstring> now = PlainFiles(m_strSessionFolder);
    const std::set<std::wstring> present(now.begin(), now.end());
    for (const std::wstring& strName : now)
    {
        if (!::CopyFileW((m_strSessionFolder + L"\\" + strName).c_str(), (m_strChosen + L"\\" + strName).c_str(), FALSE))
            std::fprintf(stderr, "preview: cannot copy %s back\n", Narrow(strName).c_str());
        ::DeleteFileW((m_strSessionFolder + L"\\" + strName).c_str());
    }
    for (const std::wstring& strName : m_copied)
    {
        if (!present.count(strName))
            ::DeleteFileW((m_strChosen + L"\\" + strName).c_str());
    }

    if (!::RemoveDirectoryW(m_strSessionFolder.c_str()))
    {
        std::fprintf(stderr, "preview: %s is not empty; the user's folder stays at %s\n",
                     Narrow(m_strSessionFolder).c_str(), Narrow(m_strAside).c_str());
        return;
    }
    if (m_bHadFolder && !::MoveFileW(m_strAside.c_str(), m_strSessionFolder.c_str()))
        std::fprintf(stderr, "preview: cannot put %s back\n", Narrow(m_strAside).c_str());
}
