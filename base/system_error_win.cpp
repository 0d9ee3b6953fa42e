// The system's words for its error codes on Windows: its message table and its file errors.
#include <windows.h>

#include <cwctype>

#include "base/exceptions.h"

std::wstring SystemMessage(HRESULT_T sc)
{
    // The system's message table is keyed by the plain error code for codes wrapped from it.
    DWORD nCode = static_cast<DWORD>(sc);
    if (HRESULT_FACILITY(sc) == FACILITY_WIN32)
        nCode = HRESULT_CODE(sc);
    wchar_t szMessage[512];
    const DWORD nLength = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, nCode,
                                         0, szMessage, sizeof(szMessage) / sizeof(szMessage[0]), nullptr);
    std::wstring strMessage(szMessage, nLength);
    // Messages end in a period and a line break; the boxes add their own.
    while (!strMessage.empty() && (iswspace(strMessage.back()) || strMessage.back() == L'.'))
        strMessage.pop_back();
    return strMessage;
}

CFileException::Cause CFileException::OsErrorToCause(long lOsError)
{
    switch (lOsError)
    {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}
