// The command's import from the moment its input is read: the bytes become a session, which is
// then saved. The importers' fuzz target runs these same two steps.
#pragma once

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>

#include "session/os_operations.h"
#include "session/session.h"

// The most bytes import reads; a larger input is refused. Some 20,000 tabs of typical length fit,
// and the worst input that fits (two million one-letter lines) takes about 330 MB to import.
constexpr std::size_t kMaxImportBytes = 4 * 1024 * 1024;

enum class EImportFormat
{
    Json,
    Urls,
};

// A session that was not saved; the text says why.
class CImportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The bytes as a session named strName: a JSON session (or an array holding one) or an address
// list. Throws CFormatError saying what is wrong and where.
CSession ImportSession(EImportFormat format, const std::string& strBytes, const std::wstring& strName);

// Saves the session as strName in strFolder, replacing a session of that name only when bReplace.
// A session the writer refuses is reported with the window and tab it refused. Throws
// CImportError.
void SaveImportedSession(CSession& session, const std::wstring& strFolder, const std::wstring& strName,
                         bool bReplace, IOsOperations& os);

// Files kept in memory, for a writer that must not touch the disk. Paths join with "/"; there are
// no folders of their own, and a failed operation reports error 1.
class CMemoryOs : public IOsOperations
{
public:
    wchar_t PathSeparator() const override { return L'/'; }
    bool QueryUserName(std::wstring&) override { return false; }
    bool QueryRoamingFolder(std::wstring&) override { return false; }
    unsigned QueryOsMajorVersion() override { return 10; }
    bool PathExists(const std::wstring& strPath) override { return m_files.count(strPath) != 0; }
    unsigned long MakeDirectory(const std::wstring&) override { return 0; }
    bool ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                    unsigned long& nError) override;
    EFindOneFile FindOneFile(const std::wstring& strPath, std::time_t& lastWrite) override;
    bool MoveFileKeepExisting(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return !PathExists(strTo) && Move(strFrom, strTo);
    }
    unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return MoveFileKeepExisting(strFrom, strTo) ? 0 : 1;
    }
    unsigned long RemoveFile(const std::wstring& strPath) override { return m_files.erase(strPath) ? 0 : 1; }
    std::unique_ptr<ITempFile> CreateTempFile(const std::wstring& strFolder) override;
    void RemoveStaleTempFiles(const std::wstring&) override {}
    std::FILE* OpenForReading(const std::wstring&, std::string& strWhy) override
    {
        strWhy = "kept in memory";
        return nullptr;
    }

    std::map<std::wstring, std::string> m_files;

private:
    bool Move(const std::wstring& strFrom, const std::wstring& strTo);
};
