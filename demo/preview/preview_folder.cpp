#include "demo/preview/preview_folder.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "session/text_conversion.h"

namespace
{
// Checked before the user's folder is set aside.
const std::wstring& ChosenFolder(const std::wstring& strFolder)
{
    if (!IsFolder(strFolder))
        throw std::runtime_error(WideToUtf8(strFolder) + ": not a folder");
    return strFolder;
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

CPreviewFolder::CPreviewFolder(const std::wstring& strChosenFolder)
    : m_strChosen(ChosenFolder(strChosenFolder)), m_aside(L".preview-aside")
{
    const std::wstring& strSessionFolder = m_aside.Path();
    for (const std::wstring& strName : PlainFileNames(m_strChosen))
    {
        if (::CopyFileW((m_strChosen + L"\\" + strName).c_str(), (strSessionFolder + L"\\" + strName).c_str(), TRUE))
            m_copied.insert(strName);
        else
            std::fprintf(stderr, "preview: cannot copy %s\n", WideToUtf8(strName).c_str());
    }
}

CPreviewFolder::~CPreviewFolder()
{
    // The chosen folder follows the run: new and changed files are copied back, and files that
    // came from it and are gone now (deleted or renamed in the window) are removed from it.
    const std::wstring& strSessionFolder = m_aside.Path();
    const std::vector<std::wstring> now = PlainFileNames(strSessionFolder);
    const std::set<std::wstring> present(now.begin(), now.end());
    for (const std::wstring& strName : now)
    {
        if (!::CopyFileW((strSessionFolder + L"\\" + strName).c_str(), (m_strChosen + L"\\" + strName).c_str(), FALSE))
            std::fprintf(stderr, "preview: cannot copy %s back\n", WideToUtf8(strName).c_str());
    }
    for (const std::wstring& strName : m_copied)
    {
        if (!present.count(strName))
            ::DeleteFileW((m_strChosen + L"\\" + strName).c_str());
    }
    std::string strWhy;
    if (!m_aside.PutBack(strWhy))
        std::fprintf(stderr, "preview: %s\n", strWhy.c_str());
}
