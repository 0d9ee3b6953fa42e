// The system calls of the storage layer on POSIX systems. Paths are UTF-8; the application-data
// folder is $XDG_DATA_HOME, or ~/.local/share; the system counts as one without LocalLow.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ios>
#include <system_error>

#include "exceptions.h"
#include "os_operations.h"
#include "text_conversion.h"

namespace
{
constexpr unsigned long kErrorNoUnicodeTranslation = 1113;

std::string PathBytes(const std::wstring& strPath)
{
    return portable_utf8::Encode(strPath);
}

bool DecodeName(const std::string& strBytes, std::wstring& strName)
{
    return portable_utf8::Decode(strBytes, strName);
}

[[noreturn]] void ThrowWriteFailure(const char* pszWhat, int nError)
{
    throw std::ios_base::failure(pszWhat, std::error_code(nError, std::generic_category()));
}

bool RenameNoReplace(const std::string& strFrom, const std::string& strTo)
{
    if (renameat2(AT_FDCWD, strFrom.c_str(), AT_FDCWD, strTo.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link fails on an existing name just the same.
    if (link(strFrom.c_str(), strTo.c_str()) != 0)
        return false;
    unlink(strFrom.c_str());
    return true;
}

class CPosixOs : public IOsOperations
{
public:
    wchar_t PathSeparator() const override { return L'/'; }

    bool QueryUserName(std::wstring& strName) override
    {
        const passwd* pw = getpwuid(geteuid());
        const char* pszName = pw ? pw->pw_name : std::getenv("USER");
        return pszName && *pszName && DecodeName(pszName, strName);
    }

    bool QueryRoamingFolder(std::wstring& strPath) override
    {
        std::string strFolder;
        const char* pszData = std::getenv("XDG_DATA_HOME");
        if (pszData && *pszData == '/')
        {
            strFolder = pszData;
        }
        else
        {
            const char* pszHome = std::getenv("HOME");
            if (!pszHome || !*pszHome)
            {
                const passwd* pw = getpwuid(geteuid());
                pszHome = pw ? pw->pw_dir : nullptr;
            }
            if (!pszHome || !*pszHome)
                return false;
            strFolder = std::string(pszHome) + "/.local/share";
        }
        while (strFolder.size() > 1 && strFolder.back() == '/')
            strFolder.pop_back();
        return DecodeName(strFolder, strPath);
    }

    unsigned QueryOsMajorVersion() override { return 5; }

    bool PathExists(const std::wstring& strPath) override
    {
        struct stat st;
        return stat(PathBytes(strPath).c_str(), &st) == 0;
    }

    unsigned long MakeDirectory(const std::wstring& strPath) override
    {
        // Sessions are browsing history: private to the user.
        return mkdir(PathBytes(strPath).c_str(), 0700) == 0 ? 0 : static_cast<unsigned long>(errno);
    }

    bool ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                    unsigned long& nError) override
    {
        const std::string strBase = PathBytes(strFolder);
        DIR* pDir = opendir(strBase.c_str());
        if (!pDir)
            return false;
        nError = 0;
        for (;;)
        {
            errno = 0;
            const dirent* pEntry = readdir(pDir);
            if (!pEntry)
            {
                nError = static_cast<unsigned long>(errno);
                break;
            }
            const std::string strName = pEntry->d_name;
            if (strName == "." || strName == "..")
                continue;
            CDirectoryEntry entry;
            // A name that is not UTF-8 cannot be a session's name: it is not listed.
            if (!DecodeName(strName, entry.strName))
                continue;
            // The entry's own type spares a stat per file; links and unknown types are followed.
            if (pEntry->d_type == DT_DIR || pEntry->d_type == DT_REG)
            {
                entry.bDirectory = pEntry->d_type == DT_DIR;
            }
            else
            {
                struct stat st;
                entry.bDirectory =
                    stat((strBase + "/" + strName).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            }
            entries.push_back(entry);
        }
        closedir(pDir);
        // The system gives no order of its own; byte order keeps runs repeatable (code-point
        // order of the decoded names is the same).
        std::sort(entries.begin(), entries.end(),
                  [](const CDirectoryEntry& a, const CDirectoryEntry& b) { return a.strName < b.strName; });
        return true;
    }

    EFindOneFile FindOneFile(const std::wstring& strPath, std::time_t& lastWrite) override
    {
        struct stat st;
        if (stat(PathBytes(strPath).c_str(), &st) != 0)
            return EFindOneFile::NotFound;
        lastWrite = st.st_mtime;
        return EFindOneFile::Found;
    }

    bool MoveFileKeepExisting(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return RenameNoReplace(PathBytes(strFrom), PathBytes(strTo));
    }

    unsigned long MoveFileReplacing(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        const std::string strTarget = PathBytes(strTo);
        if (rename(PathBytes(strFrom).c_str(), strTarget.c_str()) != 0)
            return static_cast<unsigned long>(errno);
        // The new name must reach the disk too.
        const std::string::size_type nSlash = strTarget.rfind('/');
        const std::string strDir = nSlash == std::string::npos ? "." : strTarget.substr(0, nSlash + 1);
        const int fd = open(strDir.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0)
        {
            fsync(fd);
            close(fd);
        }
        return 0;
    }

    unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return RenameNoReplace(PathBytes(strFrom), PathBytes(strTo)) ? 0 : static_cast<unsigned long>(errno);
    }

    unsigned long RemoveFile(const std::wstring& strPath) override
    {
        return unlink(PathBytes(strPath).c_str()) == 0 ? 0 : static_cast<unsigned long>(errno);
    }

    void WriteNewFile(const std::wstring& strPath, const std::string& strBytes) override
    {
        const int fd = open(PathBytes(strPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            ThrowWriteFailure("cannot create the session file", errno);
        std::size_t nDone = 0;
        while (nDone < strBytes.size())
        {
            const ssize_t n = write(fd, strBytes.data() + nDone, strBytes.size() - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
            {
                const int nError = n < 0 ? errno : EIO;
                close(fd);
                ThrowWriteFailure("cannot write the session file", nError);
            }
            nDone += static_cast<std::size_t>(n);
        }
        if (fsync(fd) != 0)
        {
            const int nError = errno;
            close(fd);
            ThrowWriteFailure("cannot flush the session file", nError);
        }
        if (close(fd) != 0)
            ThrowWriteFailure("cannot close the session file", errno);
    }

    std::FILE* OpenFileForReading(const std::wstring& strPath) override
    {
        return std::fopen(PathBytes(strPath).c_str(), "rb");
    }

    unsigned long CurrentProcessId() override { return static_cast<unsigned long>(getpid()); }
};
}  // namespace

IOsOperations& SystemOs()
{
    static CPosixOs s_os;
    return s_os;
}

std::string WideToUtf8(const std::wstring& strText)
{
    return portable_utf8::Encode(strText);
}

void AppendUtf8(const std::wstring& strText, std::string& strOut)
{
    portable_utf8::Encode(strText, strOut);
}

std::wstring Utf8ToWide(const std::string& strText)
{
    std::wstring strOut;
    if (!portable_utf8::Decode(strText, strOut))
        ThrowOleException(HResultFromWin32(kErrorNoUnicodeTranslation));
    return strOut;
}

std::wstring SystemMessage(HRESULT_T sc)
{
    // The few codes this build raises, worded as the platform words them.
    if (sc == HResultFromWin32(kErrorNoUnicodeTranslation))
        return L"No mapping for the Unicode character exists in the target multi-byte code page";
    if (sc == kEOutOfMemory)
        return L"Not enough memory resources are available to complete this operation";
    return std::wstring();
}

CFileException::Cause CFileException::OsErrorToCause(long lOsError)
{
    switch (lOsError)
    {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EEXIST:
    case EROFS: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    case EIO: return hardIO;
    case ENOSPC:
    case EDQUOT: return diskFull;
    default: return genericException;
    }
}
