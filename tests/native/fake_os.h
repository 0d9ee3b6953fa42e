// A system that looks like Windows to the code under test (backslashes, drive letters, a chosen
// user, profile and version) while every file operation really happens below a temporary
// folder of the machine the tests run on. Individual operations can be made to fail.
#pragma once

#include <string>

#include "session/os_operations.h"
#include "tests/native/test_support.h"

class CFakeWindowsOs : public IOsOperations
{
public:
    std::wstring m_strUserName = L"Ann";
    std::wstring m_strRoaming = L"C:\\Users\\Ann\\AppData\\Roaming";  // empty: not available
    unsigned m_nMajorVersion = 6;
    bool m_bFailUserName = false;
    unsigned long m_nFailPublish = 0;  // error code to report, 0 to work
    bool m_bFailWrite = false;
    unsigned long m_nListError = 0;  // an error that cuts every listing short
    bool m_bFindFails = false;       // the single-file search finds nothing
    bool m_bFindFindsTwo = false;    // the single-file search finds a second match
    std::string m_strOpenRefusal;    // every open for reading fails with this reason
    std::wstring m_strTempFolder;    // where the last temporary file was made

    // Creates the folder below the fake root (drive letters included).
    void MakeFolders(const std::wstring& strPath) { MakeFolder(Real(strPath)); }
    void Write(const std::wstring& strPath, const std::string& strBytes) { WriteBytes(Real(strPath), strBytes); }
    std::string Read(const std::wstring& strPath) { return ReadBytes(Real(strPath)); }
    bool Exists(const std::wstring& strPath) { return FileExists(Real(strPath)); }
    std::vector<std::wstring> Names(const std::wstring& strFolder) { return FolderNames(Real(strFolder)); }

    wchar_t PathSeparator() const override { return L'\\'; }
    bool QueryUserName(std::wstring& strName) override;
    bool QueryRoamingFolder(std::wstring& strPath) override;
    unsigned QueryOsMajorVersion() override { return m_nMajorVersion; }
    bool PathExists(const std::wstring& strPath) override { return m_real.PathExists(Real(strPath)); }
    unsigned long MakeDirectory(const std::wstring& strPath) override;
    bool ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                    unsigned long& nError) override
    {
        const bool bStarted = m_real.ListFolder(Real(strFolder), entries, nError);
        if (bStarted && m_nListError != 0)
            nError = m_nListError;
        return bStarted;
    }
    EFindOneFile FindOneFile(const std::wstring& strPath, std::time_t& lastWrite) override
    {
        if (m_bFindFails)
            return EFindOneFile::NotFound;
        const EFindOneFile found = m_real.FindOneFile(Real(strPath), lastWrite);
        return m_bFindFindsTwo && found == EFindOneFile::Found ? EFindOneFile::MoreThanOne : found;
    }
    bool MoveFileKeepExisting(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return m_real.MoveFileKeepExisting(Real(strFrom), Real(strTo));
    }
    unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return m_real.RenameFile(Real(strFrom), Real(strTo));
    }
    unsigned long RemoveFile(const std::wstring& strPath) override { return m_real.RemoveFile(Real(strPath)); }
    std::unique_ptr<ITempFile> CreateTempFile(const std::wstring& strFolder) override;
    void RemoveStaleTempFiles(const std::wstring& strFolder) override { m_real.RemoveStaleTempFiles(Real(strFolder)); }
    std::FILE* OpenForReading(const std::wstring& strPath, std::string& strWhy) override
    {
        strWhy = m_strOpenRefusal;
        return strWhy.empty() ? m_real.OpenForReading(Real(strPath), strWhy) : nullptr;
    }

    int m_nDirectoriesMade = 0;

    // The path below the fake root where the file really is.
    std::wstring Real(const std::wstring& strPath) const;

private:
    IOsOperations& m_real = SystemOs();
    CTempFolder m_root;
};
