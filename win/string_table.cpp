#include "win/string_table.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "win/module.h"

std::wstring LoadResString(UINT nId)
{
    // With a zero buffer size LoadStringW hands out a read-only pointer into the resource itself,
    // so a text of any length is read whole.
    const wchar_t* pText = nullptr;
    const int nLength = LoadStringW(ModuleInstance(), nId, reinterpret_cast<LPWSTR>(&pText), 0);
    if (nLength <= 0 || pText == nullptr)
        return std::wstring();
    return std::wstring(pText, static_cast<std::size_t>(nLength));
}

std::wstring FormatStringV(const wchar_t* pszFormat, va_list args)
{
    std::vector<wchar_t> buffer(256);
    for (;;)
    {
        va_list copy;
        va_copy(copy, args);
        const int n = _vsnwprintf(buffer.data(), buffer.size(), pszFormat, copy);
        va_end(copy);
        if (n >= 0 && static_cast<std::size_t>(n) < buffer.size())
            return std::wstring(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FormatString(const wchar_t* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    std::wstring strOut = FormatStringV(pszFormat, args);
    va_end(args);
    return strOut;
}

std::wstring FormatResString(UINT nId, ...)
{
    const std::wstring strFormat = LoadResString(nId);
    va_list args;
    va_start(args, nId);
    std::wstring strOut = FormatStringV(strFormat.c_str(), args);
    va_end(args);
    return strOut;
}
