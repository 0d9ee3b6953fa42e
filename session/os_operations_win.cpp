// The system calls of the storage layer on Windows.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <share.h>

#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

#include <cstring>
#include <ios>
#include <stdio.h>
#include <vector>

#include "base/exceptions.h"
#include "session/os_operations.h"
#include "session/text_conversion.h"

namespace
{
std::time_t FileTimeToTime(const FILETIME& ft)
{
    // 100-ns intervals since 1601 to seconds since 1970.
    const ULONGLONG nTicks = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<std::time_t>((static_cast<long long>(nTicks) - 116444736000000000LL) / 10000000LL);
}

std::string ReasonText(DWORD nError)
{
    return WideToUtf8(SystemMessage(HRESULT_FROM_WIN32(nError)));
}

[[noreturn]] void ThrowWriteFailure(const char* pszWhat, DWORD nError)
{
    std::string strWhat = pszWhat;
    const std::string strReason = ReasonText(nError);
    if (!strReason.empty())
        strWhat += " (" + strReason + ")";
    throw std::ios_base::failure(strWhat);
}

class CFindHandle
{
public:
    explicit CFindHandle(HANDLE h) : m_h(h) {}
    ~CFindHandle()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            FindClose(m_h);
    }
    CFindHandle(const CFindHandle&) = delete;
    CFindHandle& operator=(const CFindHandle&) = delete;
    HANDLE Get() const { return m_h; }
    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_h;
};

// Another process reading the target (a second browser loading its catalogue) makes Windows
// refuse the replace for a moment, and Wine for as long as the reader keeps it open.
bool IsTransientMoveError(DWORD nError)
{
    return nError == ERROR_ACCESS_DENIED || nError == ERROR_SHARING_VIOLATION;
}

class CWindowsTempFile : public ITempFile
{
public:
    explicit CWindowsTempFile(const std::wstring& strFolder)
    {
        for (int nTry = 0; nTry < 100; ++nTry)
        {
            const std::wstring strPath = strFolder + L"\\" + NewTempFileName();
            // Exclusive, so nothing under the name is written through; without delete sharing,
            // so another writer's clean-up cannot remove it while it lives; with DELETE access,
            // so that it is renamed and removed through this handle alone.
            m_hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            if (m_hFile != INVALID_HANDLE_VALUE)
                return;
            const DWORD nError = GetLastError();
            if (nError != ERROR_FILE_EXISTS && nError != ERROR_ALREADY_EXISTS)
                ThrowWriteFailure("cannot create the session file", nError);
        }
        ThrowWriteFailure("cannot create the session file", ERROR_FILE_EXISTS);
    }

    ~CWindowsTempFile() override
    {
        if (!m_bPublished)
        {
            FILE_DISPOSITION_INFO disposition = {TRUE};
            SetFileInformationByHandle(m_hFile, FileDispositionInfo, &disposition, sizeof disposition);
        }
        CloseHandle(m_hFile);
    }

    void Write(const std::string& strBytes) override
    {
        std::size_t nDone = 0;
        while (nDone < strBytes.size())
        {
            const DWORD nChunk = static_cast<DWORD>(std::min<std::size_t>(strBytes.size() - nDone, 1u << 20));
            DWORD nWritten = 0;
            if (!WriteFile(m_hFile, strBytes.data() + nDone, nChunk, &nWritten, nullptr) || nWritten == 0)
                ThrowWriteFailure("cannot write the session file", GetLastError());
            nDone += nWritten;
        }
        if (!FlushFileBuffers(m_hFile))
            ThrowWriteFailure("cannot flush the session file", GetLastError());
    }

    EPublish Publish(const std::wstring& strTarget, bool bReplace, unsigned long& nError) override
    {
        const DWORD nNameBytes = static_cast<DWORD>(strTarget.size() * sizeof(wchar_t));
        std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nNameBytes);
        auto* pInfo = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        pInfo->ReplaceIfExists = bReplace ? TRUE : FALSE;
        pInfo->RootDirectory = nullptr;
        pInfo->FileNameLength = nNameBytes;
        std::memcpy(pInfo->FileName, strTarget.c_str(), nNameBytes);
        // About a second for a reader to let go of the file being replaced.
        for (int nTry = 0;; ++nTry)
        {
            if (SetFileInformationByHandle(m_hFile, FileRenameInfo, pInfo, static_cast<DWORD>(buffer.size())))
            {
                m_bPublished = true;
                return EPublish::Done;
            }
            nError = GetLastError();
            if (!bReplace && (nError == ERROR_ALREADY_EXISTS || nError == ERROR_FILE_EXISTS))
                return EPublish::TargetExists;
            if (!IsTransientMoveError(nError) || nTry == 50)
                return EPublish::Failed;
            Sleep(20);
        }
    }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    bool m_bPublished = false;
};

class CWindowsOs : public IOsOperations
{
public:
    wchar_t PathSeparator() const override { return L'\\'; }

    bool QueryUserName(std::wstring& strName) override
    {
        wchar_t szName[256];
        DWORD nSize = 255;
        if (!GetUserNameW(szName, &nSize))
            return false;
        strName = szName;
        return true;
    }

    bool QueryRoamingFolder(std::wstring& strPath) override
    {
        wchar_t szPath[MAX_PATH];
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szPath)))
            return false;
        strPath = szPath;
        return true;
    }

    unsigned QueryOsMajorVersion() override
    {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        return LOBYTE(LOWORD(GetVersion()));
#pragma GCC diagnostic pop
    }

    bool PathExists(const std::wstring& strPath) override { return PathFileExistsW(strPath.c_str()) != FALSE; }

    unsigned long MakeDirectory(const std::wstring& strPath) override
    {
        return CreateDirectoryW(strPath.c_str(), nullptr) ? 0 : GetLastError();
    }

    bool ListFolder(const std::wstring& strFolder, std::vector<CDirectoryEntry>& entries,
                    unsigned long& nError) override
    {
        WIN32_FIND_DATAW fd;
        CFindHandle find(FindFirstFileW((strFolder + L"\\*.*").c_str(), &fd));
        if (!find.Valid())
            return false;
        do
        {
            const std::wstring strName = fd.cFileName;
            if (strName == L"." || strName == L"..")
                continue;
            entries.push_back({strName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileW(find.Get(), &fd));
        const DWORD nLast = GetLastError();
        nError = nLast == ERROR_NO_MORE_FILES ? 0 : nLast;
        return true;
    }

    EFindOneFile FindOneFile(const std::wstring& strPath, std::time_t& lastWrite) override
    {
        WIN32_FIND_DATAW fd;
        CFindHandle find(FindFirstFileW(strPath.c_str(), &fd));
        if (!find.Valid())
            return EFindOneFile::NotFound;
        lastWrite = FileTimeToTime(fd.ftLastWriteTime);
        WIN32_FIND_DATAW next;
        return FindNextFileW(find.Get(), &next) ? EFindOneFile::MoreThanOne : EFindOneFile::Found;
    }

    bool MoveFileKeepExisting(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return MoveFileW(strFrom.c_str(), strTo.c_str()) != FALSE;
    }

    unsigned long RenameFile(const std::wstring& strFrom, const std::wstring& strTo) override
    {
        return MoveFileW(strFrom.c_str(), strTo.c_str()) ? 0 : GetLastError();
    }

    unsigned long RemoveFile(const std::wstring& strPath) override
    {
        return DeleteFileW(strPath.c_str()) ? 0 : GetLastError();
    }

    std::unique_ptr<ITempFile> CreateTempFile(const std::wstring& strFolder) override
    {
        return std::make_unique<CWindowsTempFile>(strFolder);
    }

    void RemoveStaleTempFiles(const std::wstring& strFolder) override
    {
        std::vector<CDirectoryEntry> entries;
        unsigned long nError = 0;
        if (!ListFolder(strFolder, entries, nError))
            return;
        for (const CDirectoryEntry& entry : entries)
        {
            if (entry.bDirectory || !IsTempFileName(entry.strName))
                continue;
            const std::wstring strPath = strFolder + L"\\" + entry.strName;
            const DWORD nAttributes = GetFileAttributesW(strPath.c_str());
            if (nAttributes == INVALID_FILE_ATTRIBUTES || (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            // A live writer's handle denies deletion, so this removes only what no writer holds.
            DeleteFileW(strPath.c_str());
        }
    }

    std::FILE* OpenForReading(const std::wstring& strPath, std::string& strWhy) override
    {
        const DWORD nAttributes = GetFileAttributesW(strPath.c_str());
        if (nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY))
        {
            strWhy = "is a folder";
            return nullptr;
        }
        // Every sharing mode: a writer may replace the file while it is read.
        HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
        {
            strWhy = ReasonText(GetLastError());
            return nullptr;
        }
        // A device name (CON, a pipe) is no session and may never end.
        if (GetFileType(hFile) != FILE_TYPE_DISK)
        {
            CloseHandle(hFile);
            strWhy = "not a regular file";
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(hFile), _O_RDONLY | _O_BINARY);
        if (fd < 0)
        {
            CloseHandle(hFile);
            strWhy = std::strerror(errno);
            return nullptr;
        }
        std::FILE* pFile = _fdopen(fd, "rb");
        if (!pFile)
        {
            strWhy = std::strerror(errno);
            _close(fd);
        }
        return pFile;
    }
};
}  // namespace

IOsOperations& SystemOs()
{
    static CWindowsOs s_os;
    return s_os;
}

std::uint64_t SystemRandom64()
{
    unsigned int nHigh = 0, nLow = 0;
    rand_s(&nHigh);
    rand_s(&nLow);
    return (static_cast<std::uint64_t>(nHigh) << 32) | nLow;
}

std::string WideToUtf8(const std::wstring& strText)
{
    std::string strOut;
    AppendUtf8(strText, strOut);
    return strOut;
}

void AppendUtf8(const std::wstring& strText, std::string& strOut)
{
    if (strText.empty())
        return;
    const int nWide = static_cast<int>(strText.size());
    const int nBytes = WideCharToMultiByte(CP_UTF8, 0, strText.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nBytes <= 0)
        ThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    const std::size_t nStart = strOut.size();
    strOut.resize(nStart + static_cast<std::size_t>(nBytes));
    if (WideCharToMultiByte(CP_UTF8, 0, strText.data(), nWide, &strOut[nStart], nBytes, nullptr,
                            nullptr) != nBytes)
    {
        strOut.resize(nStart);
        ThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    }
}

std::wstring Utf8ToWide(const std::string& strText)
{
    if (strText.empty())
        return std::wstring();
    const int nBytes = static_cast<int>(strText.size());
    const int nWide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(), nBytes, nullptr, 0);
    if (nWide <= 0)
        ThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    std::wstring strOut(static_cast<std::size_t>(nWide), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(), nBytes, &strOut[0], nWide) != nWide)
        ThrowOleException(HRESULT_FROM_WIN32(GetLastError()));
    return strOut;
}

