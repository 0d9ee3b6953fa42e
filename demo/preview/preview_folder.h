// The preview's stand-in for the session folder. The product always uses its own folder
// (LocalLow\Quillmere of the user's profile), so for one run that folder is renamed aside, a
// fresh one is filled with the plain files of the chosen folder, and afterwards the chosen folder
// is brought up to date with what the run saved, renamed or deleted, and the user's own folder is
// put back.
#pragma once

#include <set>
#include <string>

#include "demo/support/session_folder_aside.h"

class CPreviewFolder
{
public:
    // Throws std::runtime_error when the session folder is unknown, when an earlier run left its
    // folder aside, or when the chosen folder cannot be copied.
    explicit CPreviewFolder(const std::wstring& strChosenFolder);
    // Writes back and restores; reports problems on the standard error.
    ~CPreviewFolder();
    CPreviewFolder(const CPreviewFolder&) = delete;
    CPreviewFolder& operator=(const CPreviewFolder&) = delete;

    const std::wstring& SessionFolder() const { return m_aside.Path(); }
    int CopiedFiles() const { return static_cast<int>(m_copied.size()); }

private:
    std::wstring m_strChosen;
    CSessionFolderAside m_aside;
    std::set<std::wstring> m_copied;
};

// A path as Windows programs take it: a Unix path (from the shell) is the same path on drive Z:,
// as Wine maps it.
std::wstring ToWindowsPath(const std::wstring& strPath);
