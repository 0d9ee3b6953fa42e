// Conversions between the model's wide strings and the UTF-8 bytes of the session file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Both raise the framework's COleException (CMemoryException when out of memory) when the text
// cannot be converted. Utf8ToWide refuses every invalid sequence.
std::string WideToUtf8(const std::wstring& strText);
std::wstring Utf8ToWide(const std::string& strText);
// WideToUtf8 appended to strOut, whose buffer is reused: the writer converts every text of a
// session through one buffer.
void AppendUtf8(const std::wstring& strText, std::string& strOut);

// The number of UTF-16 code units of a text; a code point above U+FFFF counts as two everywhere,
// so that both builds measure a title alike.
std::size_t Utf16Length(const std::wstring& strText);

// At most nUnits UTF-16 code units of a text. A cut inside a surrogate pair drops the lone high
// surrogate, so the result is always valid text.
std::wstring Utf16Prefix(const std::wstring& strText, std::size_t nUnits);
std::u16string Utf16Prefix(const std::u16string& strText, std::size_t nUnits);

// The codec behind the non-Windows build, kept apart so that both builds test it. Invalid wide
// input (a lone surrogate, a value beyond U+10FFFF) becomes U+FFFD, as the platform's own
// conversion does without flags.
namespace portable_utf8
{
std::string Encode(const std::wstring& strText);
void Encode(const std::wstring& strText, std::string& strOut); // appends
// False on any invalid sequence: overlong forms, surrogates, values beyond U+10FFFF, truncation.
bool Decode(const std::string& strBytes, std::wstring& strText);
// The same over UTF-16 whatever the size of wchar_t, so that every build checks surrogate pairs.
void Encode(const std::u16string& strText, std::string& strOut); // appends
bool Decode(std::string_view strBytes, std::u16string& strText);
}  // namespace portable_utf8
