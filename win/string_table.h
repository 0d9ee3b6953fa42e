// Texts from the module's string table, and printf-style filling of them.
#pragma once

#include <windows.h>

#include <string>

// The string of that id, or empty when the module has none.
std::wstring LoadResString(UINT nId);

// The string of that id with its "%s" and "%d" fields filled, as swprintf fills them.
std::wstring FormatResString(UINT nId, ...);

// printf-style filling of a format held in a string.
std::wstring FormatString(const wchar_t* pszFormat, ...);
std::wstring FormatStringV(const wchar_t* pszFormat, va_list args);
