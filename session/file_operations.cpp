#include "session/file_operations.h"

#include "base/exceptions.h"

void RenameSessionFile(const std::wstring& strFrom, const std::wstring& strTo, IOsOperations& os)
{
    const unsigned long nError = os.RenameFile(strFrom, strTo);
    if (nError != 0)
        throw CFileException(CFileException::OsErrorToCause(static_cast<long>(nError)),
                             static_cast<long>(nError), strFrom);
}

void RemoveSessionFile(const std::wstring& strPath, IOsOperations& os)
{
    const unsigned long nError = os.RemoveFile(strPath);
    if (nError != 0)
        throw CFileException(CFileException::OsErrorToCause(static_cast<long>(nError)),
                             static_cast<long>(nError), strPath);
}
