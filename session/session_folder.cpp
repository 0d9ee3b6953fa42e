#include "session/session_folder.h"

#include <vector>

namespace
{
// Path pieces; the separator between them is the system's own.
const wchar_t kQuillmere[] = L"Quillmere";
const wchar_t kAppData[] = L"AppData";
const wchar_t kLocalLow[] = L"LocalLow";
const wchar_t kRoaming[] = L"Roaming";
// The platform's file virtualisation keeps redirected writes under this folder, spelling the
// drive letter without its colon.
const wchar_t* const kVirtualizedStore[] = {L"Local", L"Microsoft", L"Windows",
                                            L"Temporary Internet Files", L"Virtualized",
                                            L"C", L"Users"};

// ERROR_FILE_NOT_FOUND and ENOENT alike.
const int kNoApplicationDataFolder = 2;

std::wstring Join(IOsOperations& os, const std::wstring& strFolder, const std::wstring& strName)
{
    return strFolder + os.PathSeparator() + strName;
}
}  // namespace

int CSessionFolderLocator::GetCurrentUserName(std::wstring& strName)
{
    if (m_strUserName.empty())
    {
        std::wstring strFound;
        if (!m_os.QueryUserName(strFound))
            return 0;
        m_strUserName = strFound;
    }
    strName = m_strUserName;
    return 1;
}

int CSessionFolderLocator::GetAppDataRoot(std::wstring& strRoot)
{
    if (!m_strAppDataRoot.empty())
    {
        strRoot = m_strAppDataRoot;
        return 1;
    }
    std::wstring strUser;
    if (!GetCurrentUserName(strUser))
        return 0;
    std::wstring strRoaming;
    if (!m_os.QueryRoamingFolder(strRoaming))
        return 0;
    // The profile folder normally carries the logon name: ...\Ann\AppData\Roaming. A redirected
    // or differently named profile does not match, and the caller falls back to roaming.
    const std::wstring strKey = strUser + m_os.PathSeparator() + kAppData;
    const std::wstring::size_type nAt = strRoaming.find(strKey);
    if (nAt == std::wstring::npos)
        return 0;
    m_strAppDataRoot = strRoaming.substr(0, nAt + strKey.size());
    strRoot = m_strAppDataRoot;
    return 1;
}

int CSessionFolderLocator::GetLowIntegrityFolder(std::wstring& strFolder)
{
    strFolder.clear();
    std::wstring strRoot;
    if (!GetAppDataRoot(strRoot))
        return 0;
    strFolder = Join(m_os, strRoot, kLocalLow);
    return 1;
}

int CSessionFolderLocator::HasLowIntegrityFolder()
{
    std::wstring strRoot;
    if (!GetAppDataRoot(strRoot))
        return 0;
    return m_os.PathExists(Join(m_os, strRoot, kLocalLow)) ? 1 : 0;
}

int CSessionFolderLocator::MigrateSessionFiles()
{
    std::wstring strRoot;
    if (!GetAppDataRoot(strRoot))
        return 0;
    const std::wstring strDestination = Join(m_os, Join(m_os, strRoot, kLocalLow), kQuillmere);
    m_os.MakeDirectory(strDestination);  // it may well exist already

    MoveFolderFiles(Join(m_os, Join(m_os, strRoot, kRoaming), kQuillmere), strDestination, m_os);

    std::wstring strUser;
    GetCurrentUserName(strUser);  // without a name the path simply does not exist
    std::wstring strVirtualized = strRoot;
    for (const wchar_t* pszPiece : kVirtualizedStore)
        strVirtualized = Join(m_os, strVirtualized, pszPiece);
    strVirtualized = Join(m_os, Join(m_os, Join(m_os, strVirtualized, strUser), kAppData), kRoaming);
    MoveFolderFiles(Join(m_os, strVirtualized, kQuillmere), strDestination, m_os);
    return 1;
}

bool IsVistaOrLater(IOsOperations& os)
{
    return os.QueryOsMajorVersion() >= 6;
}

int GetSessionFolder(std::wstring& strPath, IOsOperations& os, CSessionFolderLocator& locator)
{
    strPath.clear();
    if (IsVistaOrLater(os))
        locator.GetLowIntegrityFolder(strPath);
    if (strPath.empty() && !os.QueryRoamingFolder(strPath))
    {
        // Without any application-data folder there is no sensible place: the path stays empty
        // (rather than naming a folder at the root of the drive) and its users refuse it.
        strPath.clear();
        return kNoApplicationDataFolder;
    }
    strPath = Join(os, strPath, kQuillmere);
    if (os.PathExists(strPath))
        return 1;
    const unsigned long nError = os.MakeDirectory(strPath);
    return nError == 0 ? 1 : static_cast<int>(nError);
}

int GetSessionFolder(std::wstring& strPath)
{
    static CSessionFolderLocator s_locator(SystemOs());
    return GetSessionFolder(strPath, SystemOs(), s_locator);
}

void MoveFolderFiles(const std::wstring& strSource, const std::wstring& strDestination, IOsOperations& os)
{
    if (!os.PathExists(strDestination) || !os.PathExists(strSource))
        return;
    std::vector<CDirectoryEntry> entries;
    unsigned long nError = 0;
    if (!os.ListFolder(strSource, entries, nError))
        return;
    for (const CDirectoryEntry& entry : entries)
    {
        if (entry.bDirectory)
            continue;
        // A file that cannot be moved stays where it was.
        os.MoveFileKeepExisting(Join(os, strSource, entry.strName), Join(os, strDestination, entry.strName));
    }
}
