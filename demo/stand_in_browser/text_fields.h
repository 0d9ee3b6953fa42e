// Small text helpers of the test equipment: the UTF-8 that files and logs hold, and the fields of
// a line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::wstring FromUtf8(const std::string& strText)
{
    if (strText.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()),
                                      nullptr, 0);
    std::wstring strOut(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strText.data(), static_cast<int>(strText.size()), &strOut[0],
                        n);
    return strOut;
}

// Every field, empty ones included: "a||b" is three.
inline std::vector<std::wstring> Split(const std::wstring& strText, wchar_t chSeparator)
{
    std::vector<std::wstring> parts(1);
    for (wchar_t ch : strText)
    {
        if (ch == chSeparator)
            parts.emplace_back();
        else
            parts.back() += ch;
    }
    return parts;
}
