#include "text_conversion.h"

#include <type_traits>

namespace
{
constexpr bool kWide16 = sizeof(wchar_t) == 2;

unsigned long CodeOf(wchar_t c)
{
    return static_cast<unsigned long>(static_cast<std::make_unsigned_t<wchar_t>>(c));
}

bool IsHighSurrogate(unsigned long c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(unsigned long c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& strOut, unsigned long cp)
{
    if (cp < 0x80)
    {
        strOut += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        strOut += static_cast<char>(0xC0 | (cp >> 6));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        strOut += static_cast<char>(0xE0 | (cp >> 12));
        strOut += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        strOut += static_cast<char>(0xF0 | (cp >> 18));
        strOut += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        strOut += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        strOut += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::wstring& strOut, unsigned long cp)
{
    if (kWide16 && cp >= 0x10000)
    {
        cp -= 0x10000;
        strOut += static_cast<wchar_t>(0xD800 + (cp >> 10));
        strOut += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
    else
    {
        strOut += static_cast<wchar_t>(cp);
    }
}
}  // namespace

std::string portable_utf8::Encode(const std::wstring& strText)
{
    const unsigned long kReplacement = 0xFFFD;
    std::string strOut;
    strOut.reserve(strText.size());
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        unsigned long c = CodeOf(strText[i]);
        if (kWide16 && IsHighSurrogate(c) && i + 1 < strText.size() &&
            IsLowSurrogate(CodeOf(strText[i + 1])))
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (CodeOf(strText[i + 1]) - 0xDC00);
            ++i;
        }
        else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF)
        {
            c = kReplacement;
        }
        AppendUtf8(strOut, c);
    }
    return strOut;
}

bool portable_utf8::Decode(const std::string& strBytes, std::wstring& strText)
{
    std::wstring strOut;
    strOut.reserve(strBytes.size());
    const std::size_t n = strBytes.size();
    for (std::size_t i = 0; i < n;)
    {
        const unsigned char b0 = static_cast<unsigned char>(strBytes[i]);
        if (b0 < 0x80)
        {
            strOut += static_cast<wchar_t>(b0);
            ++i;
            continue;
        }
        std::size_t nTrail;
        unsigned long cp;
        unsigned long minimum;
        if (b0 >= 0xC2 && b0 <= 0xDF)
            nTrail = 1, cp = b0 & 0x1F, minimum = 0x80;
        else if (b0 >= 0xE0 && b0 <= 0xEF)
            nTrail = 2, cp = b0 & 0x0F, minimum = 0x800;
        else if (b0 >= 0xF0 && b0 <= 0xF4)
            nTrail = 3, cp = b0 & 0x07, minimum = 0x10000;
        else
            return false;
        if (n - i - 1 < nTrail)
            return false;
        for (std::size_t k = 1; k <= nTrail; ++k)
        {
            const unsigned char b = static_cast<unsigned char>(strBytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp))
            return false;
        AppendWide(strOut, cp);
        i += nTrail + 1;
    }
    strText.swap(strOut);
    return true;
}

std::size_t Utf16Length(const std::wstring& strText)
{
    if (kWide16)
        return strText.size();
    std::size_t nUnits = 0;
    for (wchar_t c : strText)
        nUnits += CodeOf(c) > 0xFFFF ? 2 : 1;
    return nUnits;
}

std::wstring Utf16Prefix(const std::wstring& strText, std::size_t nUnits)
{
    std::size_t nUsed = 0;
    std::size_t i = 0;
    for (; i < strText.size(); ++i)
    {
        const std::size_t nWidth = (!kWide16 && CodeOf(strText[i]) > 0xFFFF) ? 2 : 1;
        if (nUsed + nWidth > nUnits)
            break;
        nUsed += nWidth;
    }
    if (kWide16 && i > 0 && i < strText.size() &&
        IsHighSurrogate(CodeOf(strText[i - 1])) && IsLowSurrogate(CodeOf(strText[i])))
        --i;
    return strText.substr(0, i);
}
