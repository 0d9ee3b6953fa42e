// The operating-system calls that the storage layer needs, behind one small interface: the
// Windows build implements them with the platform's calls, the native build with POSIX, and tests
// substitute their own to play other users, profiles and system versions.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

struct CDirectoryEntry
{
    std::wstring strName;
    bool bDirectory;
};

enum class EFindOneFile
{
    Found,
    NotFound,
    MoreThanOne,
};

class IOsOperations
{
public:
    virtual ~IOsOperations() = default;

    // The separator that joins a folder and a name.
    virtual wchar_t PathSeparator() const = 0;

    virtual bool QueryUserName(std::wstring& strName) = 0;
    // The roaming application-data folder, without a trailing separator.
    virtual bool QueryRoamingFolder(std::wstring& strPath) = 0;
    virtual unsigned QueryOsMajorVersion() = 0;

    virtual bool PathExists(const std::wstring& strPath) = 0;
    // One level only. Returns 0 or the system's error code.
    virtual unsigned long MakeDirectory(const std::wstring& strPath) = 0;

    // Lists every entry of a folder except "." and "..", in the system's order (byte order where
    // the system has none). False when the listing could not even be started. Otherwise
    // nError is 0 when the listing ran to its end, or the error that cut it short.
    virtual bool ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                            unsigned long& nError) = 0;

    // Looks a path up as a single-file search and gives the file's last-write time.
    virtual EFindOneFile FindOneFile(const std::wstring& strPath, std::time_t& lastWrite) = 0;

    // Never replaces an existing file. False on failure.
    virtual bool MoveFileKeepExisting(const std::wstring& strFrom, const std::wstring& strTo) = 0;
    // Replaces strTo in one step, through to the disk. Returns 0 or the system's error code.
    virtual unsigned long MoveFileReplacing(const std::wstring& strFrom, const std::wstring& strTo) = 0;
    // Returns 0 or the system's error code.
    virtual unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) = 0;
    virtual unsigned long RemoveFile(const std::wstring& strPath) = 0;

    // Creates or truncates a file, writes the bytes, flushes them to the disk and closes it.
    // Throws std::ios_base::failure on any failure.
    virtual void WriteNewFile(const std::wstring& strPath, const std::string& strBytes) = 0;
    // A binary read stream that does not deny other openers, or null when it cannot be opened.
    virtual std::FILE* OpenFileForReading(const std::wstring& strPath) = 0;

    virtual unsigned long CurrentProcessId() = 0;
};

// The implementation for the system the program runs on.
IOsOperations& SystemOs();
