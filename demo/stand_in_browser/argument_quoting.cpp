#include "demo/stand_in_browser/argument_quoting.h"

std::wstring QuoteArgument(const std::wstring& strArgument)
{
    if (!strArgument.empty() && strArgument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return strArgument;
    // Backslashes double only where a quote follows them, including the closing one.
    std::wstring strOut = L"\"";
    size_t nBackslashes = 0;
    for (wchar_t ch : strArgument)
    {
        if (ch == L'\\')
        {
            ++nBackslashes;
            continue;
        }
        if (ch == L'"')
            strOut.append(nBackslashes * 2 + 1, L'\\');
        else
            strOut.append(nBackslashes, L'\\');
        nBackslashes = 0;
        strOut += ch;
    }
    strOut.append(nBackslashes * 2, L'\\');
    strOut += L'"';
    return strOut;
}
