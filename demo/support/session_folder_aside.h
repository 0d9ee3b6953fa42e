// The profile's session folder renamed aside for a while, with an empty folder of the same path in
// its place, so that a run never touches the user's own sessions: the preview's, and each window
// test's. The folder is put back when this ends.
#pragma once

#include <string>
#include <vector>

class CSessionFolderAside
{
public:
    // The folder goes aside as its path followed by strSuffix. Throws std::runtime_error when the
    // profile has no session folder, when something already stands at the aside path, or when the
    // folder cannot be renamed or made again; nothing is left changed then.
    explicit CSessionFolderAside(const std::wstring& strSuffix);
    // PutBack, if it has not been called; a failure is reported on the standard error.
    ~CSessionFolderAside();
    CSessionFolderAside(const CSessionFolderAside&) = delete;
    CSessionFolderAside& operator=(const CSessionFolderAside&) = delete;

    // The empty folder in place of the user's.
    const std::wstring& Path() const { return m_strPath; }
    // Deletes the folder in place with its plain files, or the file that stands at its path;
    // false when a folder inside it keeps it.
    bool Remove() const;
    // Remove, then the user's folder renamed back; false with the reason when either fails, and
    // the user's folder stays aside.
    bool PutBack(std::string& strWhy);

private:
    std::wstring m_strPath;
    std::wstring m_strAside;
    bool m_bHadFolder = false;
    bool m_bPutBack = false;
};

// The plain files of a folder by name, in the order the folder lists them.
std::vector<std::wstring> PlainFileNames(const std::wstring& strFolder);
bool IsFolder(const std::wstring& strPath);
