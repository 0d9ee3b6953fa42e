#include "session/session_name.h"

namespace
{
const wchar_t kRefused[] = L"\\/:*?\"<>|.";
}

bool IsRefusedNameCharacter(wchar_t c)
{
    for (const wchar_t* p = kRefused; *p; ++p)
    {
        if (*p == c)
            return true;
    }
    return false;
}

bool ContainsRefusedNameCharacter(const std::wstring& strName)
{
    return strName.find_first_of(kRefused) != std::wstring::npos;
}
