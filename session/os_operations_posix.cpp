// The system calls of the storage layer on POSIX systems. Paths are UTF-8; the application-data
// folder is $XDG_DATA_HOME, or ~/.local/share; the system counts as one without LocalLow.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ios>
#include <system_error>

#include "base/exceptions.h"
#include "session/os_operations.h"
#include "session/os_operations_posix.h"
#include "session/text_conversion.h"

namespace posix_calls
{
int (*pfnRenameAt2)(int, const char*, int, const char*, unsigned int) = renameat2;
ssize_t (*pfnWrite)(int, const void*, std::size_t) = write;
passwd* (*pfnGetPwUid)(uid_t) = getpwuid;
void (*pfnCreated)(const std::string& strPath) = nullptr;
}  // namespace posix_calls

namespace
{
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
    if (posix_calls::pfnRenameAt2(AT_FDCWD, strFrom.c_str(), AT_FDCWD, strTo.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without the flag: a hard link fails on an existing name just the same.
    if (link(strFrom.c_str(), strTo.c_str()) != 0)
        return false;
    unlink(strFrom.c_str());
    return true;
}

// Makes a rename or a new name reach the disk.
void SyncFolderOf(const std::string& strPath)
{
    const std::string::size_type nSlash = strPath.rfind('/');
    const std::string strDir = nSlash == std::string::npos ? "." : strPath.substr(0, nSlash + 1);
    const int fd = open(strDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
}

// Whether the name still leads to the open file, not to one put there since.
bool SameFile(int fd, const std::string& strPath)
{
    struct stat open, named;
    return fstat(fd, &open) == 0 && lstat(strPath.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

class CPosixTempFile : public ITempFile
{
public:
    explicit CPosixTempFile(const std::string& strFolder)
    {
        for (int nTry = 0; nTry < 100; ++nTry)
        {
            const std::string strPath = strFolder + "/" + PathBytes(NewTempFileName());
            // Exclusive and without following links: whatever lies under the name, planted or
            // left, is never written through.
            const int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (fd < 0)
            {
                if (errno == EEXIST || errno == ELOOP)
                    continue;
                ThrowWriteFailure("cannot create the session file", errno);
            }
            if (posix_calls::pfnCreated)
                posix_calls::pfnCreated(strPath);
            // A writer cleaning up may have taken the new file for a leftover between the open
            // and the lock: then the name is given up.
            if (flock(fd, LOCK_EX | LOCK_NB) != 0 || !SameFile(fd, strPath))
            {
                close(fd);
                continue;
            }
            m_fd = fd;
            m_strPath = strPath;
            return;
        }
        ThrowWriteFailure("cannot create the session file", EEXIST);
    }

    ~CPosixTempFile() override
    {
        if (!m_bPublished)
            unlink(m_strPath.c_str());
        close(m_fd);
    }

    void Write(const std::string& strBytes) override
    {
        std::size_t nDone = 0;
        while (nDone < strBytes.size())
        {
            const ssize_t n = posix_calls::pfnWrite(m_fd, strBytes.data() + nDone, strBytes.size() - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                ThrowWriteFailure("cannot write the session file", n < 0 ? errno : EIO);
            nDone += static_cast<std::size_t>(n);
        }
        if (fsync(m_fd) != 0)
            ThrowWriteFailure("cannot flush the session file", errno);
    }

    EPublish Publish(const std::wstring& strTarget, bool bReplace, unsigned long& nError) override
    {
        const std::string strTo = PathBytes(strTarget);
        const bool bDone = bReplace ? rename(m_strPath.c_str(), strTo.c_str()) == 0
                                    : RenameNoReplace(m_strPath, strTo);
        if (!bDone)
        {
            nError = static_cast<unsigned long>(errno);
            return !bReplace && errno == EEXIST ? EPublish::TargetExists : EPublish::Failed;
        }
        m_bPublished = true;
        SyncFolderOf(strTo);
        return EPublish::Done;
    }

private:
    int m_fd = -1;
    std::string m_strPath;
    bool m_bPublished = false;
};

class CPosixOs : public IOsOperations
{
public:
    wchar_t PathSeparator() const override { return L'/'; }

    bool QueryUserName(std::wstring& strName) override
    {
        const passwd* pw = posix_calls::pfnGetPwUid(geteuid());
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
                const passwd* pw = posix_calls::pfnGetPwUid(geteuid());
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
                const bool bKnown = stat((strBase + "/" + strName).c_str(), &st) == 0;
                entry.bDirectory = bKnown && S_ISDIR(st.st_mode);
                entry.bPipeOrDevice = bKnown && !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
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

    unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return RenameNoReplace(PathBytes(strFrom), PathBytes(strTo)) ? 0 : static_cast<unsigned long>(errno);
    }

    unsigned long RemoveFile(const std::wstring& strPath) override
    {
        return unlink(PathBytes(strPath).c_str()) == 0 ? 0 : static_cast<unsigned long>(errno);
    }

    std::unique_ptr<ITempFile> CreateTempFile(const std::wstring& strFolder) override
    {
        return std::make_unique<CPosixTempFile>(PathBytes(strFolder));
    }

    void RemoveStaleTempFiles(const std::wstring& strFolder) override
    {
        std::vector<CDirectoryEntry> entries;
        unsigned long nError = 0;
        if (!ListFolder(strFolder, entries, nError))
            return;
        const std::string strBase = PathBytes(strFolder) + "/";
        for (const CDirectoryEntry& entry : entries)
        {
            if (entry.bDirectory || entry.bPipeOrDevice || !IsTempFileName(entry.strName))
                continue;
            const std::string strPath = strBase + PathBytes(entry.strName);
            const int fd = open(strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
            struct stat st;
            // A live writer holds its lock until its file is published or removed; a leftover
            // holds none. The name is checked again under the lock, since it may have been
            // published and the name taken anew since it was opened.
            if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                SameFile(fd, strPath))
                unlink(strPath.c_str());
            close(fd);
        }
    }

    std::FILE* OpenForReading(const std::wstring& strPath, std::string& strWhy) override
    {
        // Without blocking: opening a pipe would wait for a writer that never comes.
        const int fd = open(PathBytes(strPath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
        {
            strWhy = std::strerror(errno);
            return nullptr;
        }
        struct stat st;
        if (fstat(fd, &st) != 0)
        {
            strWhy = std::strerror(errno);
            close(fd);
            return nullptr;
        }
        if (!S_ISREG(st.st_mode))
        {
            strWhy = S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file";
            close(fd);
            return nullptr;
        }
        std::FILE* pFile = fdopen(fd, "rb");
        if (!pFile)
        {
            strWhy = std::strerror(errno);
            close(fd);
        }
        return pFile;
    }
};
}  // namespace

IOsOperations& SystemOs()
{
    static CPosixOs s_os;
    return s_os;
}

std::uint64_t SystemRandom64()
{
    std::uint64_t nBits = 0;
    if (getrandom(&nBits, sizeof nBits, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof nBits))
        return nBits;
    // Early in boot the pool may not be ready: the name needs to differ, not to be secret.
    static std::atomic<std::uint64_t> s_nCounter{0};
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (static_cast<std::uint64_t>(getpid()) << 40) ^ (s_nCounter++ * 0x9E3779B97F4A7C15ULL);
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

