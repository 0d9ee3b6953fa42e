#include "session/saved_session_catalogue.h"

#include "base/exceptions.h"
#include "base/throw_if.h"
#include "session/find_files.h"
#include "session/manual_saved_instance_loader.h"

namespace
{
std::wstring Widen(const char* psz)
{
    std::wstring strOut;
    for (; *psz; ++psz)
        strOut += static_cast<wchar_t>(static_cast<unsigned char>(*psz));
    return strOut;
}

CSession LoadOneFile(const std::wstring& strPath, IOsOperations& os, std::wstring& strFileName)
{
    CManualSavedInstanceLoader loader(os);
    loader.SetFilePath(strPath.c_str());

    const std::wstring::size_type nSeparator = strPath.rfind(os.PathSeparator());
    ThrowIf(nSeparator == std::wstring::npos, "CSessionsTabPage::LoadSavedSessions() - RFindFailed");
    strFileName = strPath.substr(nSeparator + 1);
    ThrowIf(strFileName.empty(), "CSessionsTabPage::LoadSavedSessions() - FileNameIsTooShort");

    std::time_t lastWrite = 0;
    const EFindOneFile found = os.FindOneFile(strPath, lastWrite);
    ThrowIf(found == EFindOneFile::NotFound, "CSessionsTabPage::LoadSavedSessions() - FindFileFailed");
    ThrowIf(found == EFindOneFile::MoreThanOne, "CSessionsTabPage::LoadSavedSessions() - FindNextFileFailed");

    CSession session(strFileName, lastWrite);
    loader.LoadSession(&session);
    return session;
}
}  // namespace

CSession LoadSessionFile(const std::wstring& strPath, IOsOperations& os)
{
    std::wstring strFileName;
    return LoadOneFile(strPath, os, strFileName);
}

void LoadSessionsFromFolder(std::vector<CSession>& sessions, const std::wstring& strPath,
                            IOsOperations& os, const LoadFailureHandler& onFailure)
{
    std::vector<std::wstring> files;
    ThrowIf(FindFiles(files, strPath, nullptr, false, os) != 0,
            "CSessionsTabPage::LoadSavedSessions() - SearchDirectoryFailed");

    for (const std::wstring& strFile : files)
    {
        std::wstring strFileName;
        try
        {
            sessions.push_back(LoadOneFile(strFile, os, strFileName));
        }
        catch (const CException& e)
        {
            onFailure({strFileName, ELoadFailureKind::FrameworkException, e.GetErrorMessage()});
            return;
        }
        catch (const std::exception& e)
        {
            if (!onFailure({strFileName, ELoadFailureKind::StandardException, Widen(e.what())}))
                return;
        }
        catch (...)
        {
            onFailure({strFileName, ELoadFailureKind::UnknownException, std::wstring()});
            return;
        }
    }
}

std::wstring FindSavedSessionsFolder(CSessionFolderLocator& locator)
{
    IOsOperations& os = locator.GetOs();
    if (IsVistaOrLater(os) && locator.HasLowIntegrityFolder())
        locator.MigrateSessionFiles();

    std::wstring strPath;
    GetSessionFolder(strPath, os, locator);
    ThrowIf(strPath.empty(), "CSessionsTabPage::LoadSavedSessions() - strPath is empty");
    return strPath;
}

void LoadSavedSessions(std::vector<CSession>& sessions, CSessionFolderLocator& locator,
                       const LoadFailureHandler& onFailure)
{
    LoadSessionsFromFolder(sessions, FindSavedSessionsFolder(locator), locator.GetOs(), onFailure);
}
