// The operating-system calls that the storage layer needs, behind one small interface: the
// Windows build implements them with the platform's calls, the native build with POSIX, and tests
// substitute their own to play other users, profiles and system versions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

struct CDirectoryEntry
{
    std::wstring strName;
    bool bDirectory;
    // Neither a file nor a folder: a pipe, a device or a socket, which no reader may open.
    bool bPipeOrDevice = false;
};

enum class EPublish
{
    Done,
    TargetExists,
    Failed,
};

// A new file being written beside the file it will become. It is created exclusively under a
// random name that the catalogue never lists, never through a link, and holds a lock while it
// lives, so that other writers know it is not a leftover. Destroying it removes the file unless
// it was published.
class ITempFile
{
public:
    virtual ~ITempFile() = default;
    // Writes the bytes and flushes them to the disk. Throws std::ios_base::failure.
    virtual void Write(const std::string& strBytes) = 0;
    // Gives the file the name strTarget in the same folder, in one step: replacing a file of
    // that name when bReplace, otherwise failing with TargetExists. nError is the system's code
    // when it Failed.
    virtual EPublish Publish(const std::wstring& strTarget, bool bReplace, unsigned long& nError) = 0;
};

// Names of temporary files: the prefix, 16 hexadecimal digits and the suffix.
constexpr wchar_t kTempFilePrefix[] = L".qlmr-";
constexpr wchar_t kTempFileSuffix[] = L".tmp";
constexpr std::size_t kTempFileRandomDigits = 16;
bool IsTempFileName(const std::wstring& strName);
// A fresh name of that pattern. The random part comes from the system unless a test named its
// own source, to plant a file where the next name will be; SetTempNameSource(nullptr) restores it.
std::wstring NewTempFileName();
using TempNameSource = std::uint64_t (*)();
void SetTempNameSource(TempNameSource pfnSource);
// Random bits from the system's generator.
std::uint64_t SystemRandom64();

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
    // Returns 0 or the system's error code.
    virtual unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) = 0;
    virtual unsigned long RemoveFile(const std::wstring& strPath) = 0;

    // A new temporary file in strFolder (see ITempFile). Throws std::ios_base::failure.
    virtual std::unique_ptr<ITempFile> CreateTempFile(const std::wstring& strFolder) = 0;
    // Removes the temporary files in strFolder that no live writer holds: what a writer that
    // crashed or was killed left. Nothing else is ever removed.
    virtual void RemoveStaleTempFiles(const std::wstring& strFolder) = 0;

    // A binary read stream that neither blocks nor denies other openers, renaming and replacing
    // included, or null with the reason in strWhy. Only a regular file is opened: a pipe or a
    // device would hang or never end.
    virtual std::FILE* OpenForReading(const std::wstring& strPath, std::string& strWhy) = 0;
    std::FILE* OpenFileForReading(const std::wstring& strPath)
    {
        std::string strWhy;
        return OpenForReading(strPath, strWhy);
    }
};

// The implementation for the system the program runs on.
IOsOperations& SystemOs();
