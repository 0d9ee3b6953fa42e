#include "session/find_files.h"

unsigned long FindFiles(std::vector<std::wstring>& files, const std::wstring& strFolder,
                        const wchar_t* pszExtension, bool bRecurse, IOsOperations& os)
{
    std::vector<CDirectoryEntry> entries;
    unsigned long nError = 0;
    if (!os.ListFolder(strFolder, entries, nError))
        return 0;
    for (const CDirectoryEntry& entry : entries)
    {
        // A pipe or a device would hang or never end a reader.
        if (entry.strName.empty() || entry.strName[0] == L'.' || entry.bPipeOrDevice)
            continue;
        const std::wstring strPath = strFolder + os.PathSeparator() + entry.strName;
        if (entry.bDirectory)
        {
            if (!bRecurse)
                continue;
            const unsigned long nSubError = FindFiles(files, strPath, pszExtension, bRecurse, os);
            if (nSubError != 0)
                return nSubError;
        }
        else if (pszExtension)
        {
            const std::wstring::size_type nDot = entry.strName.rfind(L'.');
            const std::wstring strExtension =
                nDot == std::wstring::npos ? entry.strName : entry.strName.substr(nDot + 1);
            if (strExtension == pszExtension)
                files.push_back(strPath);
        }
        else if (entry.strName.find(L'.') == std::wstring::npos)
        {
            files.push_back(strPath);
        }
    }
    return nError;
}
