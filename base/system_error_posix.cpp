// The system's words for its error codes on POSIX systems: the few status codes the portable
// build raises, worded as Windows words them, and errno values as file-error causes.
#include <cerrno>

#include "base/exceptions.h"

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
