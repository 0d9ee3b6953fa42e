// Where the session files live: the per-user folder "Quillmere" under LocalLow on systems that
// have one (the one place a low-integrity browser may write), otherwise under the roaming
// application-data folder; and the gathering of files left in older or virtualised places.
#pragma once

#include <string>

#include "session/os_operations.h"

class CSessionFolderLocator
{
public:
    explicit CSessionFolderLocator(IOsOperations& os = SystemOs()) : m_os(os) {}
    CSessionFolderLocator(const CSessionFolderLocator&) = delete;
    CSessionFolderLocator& operator=(const CSessionFolderLocator&) = delete;

    // Each returns 1 on success and 0 on failure. The user name and the root are cached once
    // found and never refreshed.
    int GetCurrentUserName(std::wstring& strName);
    int GetAppDataRoot(std::wstring& strRoot);
    int GetLowIntegrityFolder(std::wstring& strFolder);
    int HasLowIntegrityFolder();
    int MigrateSessionFiles();

    IOsOperations& GetOs() const { return m_os; }

private:
    IOsOperations& m_os;
    std::wstring m_strUserName;
    std::wstring m_strAppDataRoot;
};

// Fills in the session folder path (no trailing separator) and creates the folder when missing.
// Returns 1 when the folder exists or was created, otherwise the error code of the creation.
int GetSessionFolder(std::wstring& strPath);
// The same through the given system calls and locator.
int GetSessionFolder(std::wstring& strPath, IOsOperations& os, CSessionFolderLocator& locator);

bool IsVistaOrLater(IOsOperations& os = SystemOs());

// Moves every plain file of strSource into strDestination under the same name. A file that cannot
// be moved (one of that name is already there) stays where it is; folders are left alone.
void MoveFolderFiles(const std::wstring& strSource, const std::wstring& strDestination,
                     IOsOperations& os = SystemOs());
