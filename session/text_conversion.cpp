#include "session/text_conversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>
#include <type_traits>
#include <utility>

namespace
{
// The codec is written over the wide code unit: wchar_t holds UTF-16 on Windows and UTF-32
// elsewhere, and char16_t lets every build run the UTF-16 forms.
template <class Char>
constexpr bool kUtf16 = sizeof(Char) == 2;

template <class Char>
unsigned long CodeOf(Char c)
{
    return static_cast<unsigned long>(static_cast<std::make_unsigned_t<Char>>(c));
}

// Sixteen bytes at once for the ASCII runs that make up most of every address and title: the
// reader converts every byte of every session file here.
constexpr std::size_t kRun = 16;

bool IsAsciiRun(const unsigned char* p)
{
    std::uint64_t n[2];
    std::memcpy(n, p, sizeof n);
    return ((n[0] | n[1]) & 0x8080808080808080ull) == 0;
}

template <class Char>
void WidenAsciiRun(const unsigned char* p, Char* pOut)
{
    // Through a copy of its own, which cannot overlap the output: the compiler then widens the
    // run in a few vector instructions.
    unsigned char bytes[kRun];
    std::memcpy(bytes, p, kRun);
    std::transform(std::begin(bytes), std::end(bytes), pOut,
                   [](unsigned char b) { return static_cast<Char>(b); });
}

// Whole texts of ASCII, the common case, are checked by runs, the last one overlapping the one
// before, so that no byte is taken alone unless the text is shorter than a run.
bool IsAscii(const unsigned char* p, std::size_t n)
{
    if (n < kRun)
    {
        for (std::size_t i = 0; i < n; ++i)
        {
            if (p[i] >= 0x80)
                return false;
        }
        return true;
    }
    for (std::size_t i = 0; i + kRun < n; i += kRun)
    {
        if (!IsAsciiRun(p + i))
            return false;
    }
    return IsAsciiRun(p + n - kRun);
}

// By runs too, the last one overlapping the one before.
template <class Char>
void WidenAscii(const unsigned char* p, std::size_t n, Char* pOut)
{
    if (n < kRun)
    {
        for (std::size_t i = 0; i < n; ++i)
            pOut[i] = static_cast<Char>(p[i]);
        return;
    }
    for (std::size_t i = 0; i + kRun < n; i += kRun)
        WidenAsciiRun(p + i, pOut + i);
    WidenAsciiRun(p + n - kRun, pOut + n - kRun);
}

bool IsHighSurrogate(unsigned long c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(unsigned long c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Writes the UTF-8 form of cp at p; returns the number of bytes, 1 to 4.
std::size_t PutUtf8(char* p, unsigned long cp)
{
    if (cp < 0x80)
    {
        p[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800)
    {
        p[0] = static_cast<char>(0xC0 | (cp >> 6));
        p[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000)
    {
        p[0] = static_cast<char>(0xE0 | (cp >> 12));
        p[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        p[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    p[0] = static_cast<char>(0xF0 | (cp >> 18));
    p[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    p[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    p[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// Narrows 16 units to bytes when all of them are ASCII; otherwise writes nothing and returns
// false.
template <class Char>
bool NarrowAsciiRun(const Char* p, char* pOut)
{
    // Whole-array passes without a branch over copies of their own: the compiler does each in a
    // few vector instructions.
    Char units[kRun];
    std::memcpy(units, p, sizeof units);
    unsigned long nAll = 0;
    for (Char c : units)
        nAll |= CodeOf(c);
    if (nAll >= 0x80)
        return false;
    char bytes[kRun];
    std::transform(std::begin(units), std::end(units), bytes,
                   [](Char c) { return static_cast<char>(c); });
    std::memcpy(pOut, bytes, kRun);
    return true;
}

template <class Char>
void EncodeUnits(const std::basic_string<Char>& strText, std::string& strOut)
{
    const unsigned long kReplacement = 0xFFFD;
    const Char* const p = strText.data();
    const std::size_t n = strText.size();
    std::size_t i = 0;
    if (n >= kRun)
    {
        // ASCII runs straight into the string, the last one overlapping the one before; at the
        // first other character the rest goes the general way.
        const std::size_t nStart = strOut.size();
        strOut.resize(nStart + n);
        char* const pOut = &strOut[nStart];
        while (i + kRun < n && NarrowAsciiRun(p + i, pOut + i))
            i += kRun;
        if (i + kRun >= n && NarrowAsciiRun(p + n - kRun, pOut + n - kRun))
            return;
        strOut.resize(nStart + i);
    }
    // At least a byte for each unit left. Only ever grown: a smaller reserve would shrink a
    // buffer that the caller reuses.
    if (strOut.capacity() < strOut.size() + (n - i))
        strOut.reserve(strOut.size() + (n - i));
    // Bytes gather here and go to the string in blocks: appending one byte at a time cost the
    // writer more than everything else it does.
    char szBlock[256];
    std::size_t nBlock = 0;
    while (i < n)
    {
        if (nBlock + kRun <= sizeof szBlock && i + kRun <= n &&
            NarrowAsciiRun(p + i, szBlock + nBlock))
        {
            nBlock += kRun;
            i += kRun;
            continue;
        }
        if (nBlock + 4 > sizeof szBlock)
        {
            strOut.append(szBlock, nBlock);
            nBlock = 0;
        }
        unsigned long c = CodeOf(p[i]);
        if (kUtf16<Char> && IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(CodeOf(p[i + 1])))
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (CodeOf(p[i + 1]) - 0xDC00);
            ++i;
        }
        else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF)
        {
            c = kReplacement;
        }
        nBlock += PutUtf8(szBlock + nBlock, c);
        ++i;
    }
    strOut.append(szBlock, nBlock);
}

// Takes a view, which unlike a string has no terminator to stop a read past a truncated sequence.
template <class Char>
bool DecodeUnits(std::string_view strBytes, std::basic_string<Char>& strText)
{
    const std::size_t n = strBytes.size();
    const unsigned char* const pBytes = reinterpret_cast<const unsigned char*>(strBytes.data());
    if (IsAscii(pBytes, n))
    {
        std::basic_string<Char> strOut(n, Char());
        WidenAscii(pBytes, n, &strOut[0]);
        strText = std::move(strOut);
        return true;
    }
    // Sized exactly for valid text, so that the result can be kept as it is: one unit for every
    // byte that is not a continuation byte, and a second for a four-byte sequence in UTF-16.
    // Invalid text may need fewer, never more.
    const auto UnitsOf = [](unsigned char b) -> std::size_t {
        return ((b & 0xC0) != 0x80) + (kUtf16<Char> && b >= 0xF0);
    };
    std::size_t nUnits = 0;
    std::size_t i = 0;
    for (; i + kRun <= n; i += kRun)
    {
        if (IsAsciiRun(pBytes + i))
        {
            nUnits += kRun;
            continue;
        }
        for (std::size_t k = 0; k < kRun; ++k)
            nUnits += UnitsOf(pBytes[i + k]);
    }
    for (; i < n; ++i)
        nUnits += UnitsOf(pBytes[i]);

    std::basic_string<Char> strOut(nUnits, Char());
    Char* pOut = &strOut[0];
    for (i = 0; i < n;)
    {
        if (i + kRun <= n && IsAsciiRun(pBytes + i))
        {
            WidenAsciiRun(pBytes + i, pOut);
            pOut += kRun;
            i += kRun;
            continue;
        }
        const unsigned char b0 = pBytes[i];
        if (b0 < 0x80)
        {
            *pOut++ = static_cast<Char>(b0);
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
            const unsigned char b = pBytes[i + k];
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp))
            return false;
        if (kUtf16<Char> && cp >= 0x10000)
        {
            cp -= 0x10000;
            *pOut++ = static_cast<Char>(0xD800 + (cp >> 10));
            *pOut++ = static_cast<Char>(0xDC00 + (cp & 0x3FF));
        }
        else
        {
            *pOut++ = static_cast<Char>(cp);
        }
        i += nTrail + 1;
    }
    strText = std::move(strOut);
    return true;
}

template <class Char>
std::basic_string<Char> PrefixUnits(const std::basic_string<Char>& strText, std::size_t nUnits)
{
    std::size_t nUsed = 0;
    std::size_t i = 0;
    for (; i < strText.size(); ++i)
    {
        const std::size_t nWidth = (!kUtf16<Char> && CodeOf(strText[i]) > 0xFFFF) ? 2 : 1;
        if (nUsed + nWidth > nUnits)
            break;
        nUsed += nWidth;
    }
    if (kUtf16<Char> && i > 0 && i < strText.size() &&
        IsHighSurrogate(CodeOf(strText[i - 1])) && IsLowSurrogate(CodeOf(strText[i])))
        --i;
    return strText.substr(0, i);
}
}  // namespace

std::string portable_utf8::Encode(const std::wstring& strText)
{
    std::string strOut;
    EncodeUnits(strText, strOut);
    return strOut;
}

void portable_utf8::Encode(const std::wstring& strText, std::string& strOut)
{
    EncodeUnits(strText, strOut);
}

void portable_utf8::Encode(const std::u16string& strText, std::string& strOut)
{
    EncodeUnits(strText, strOut);
}

bool portable_utf8::Decode(const std::string& strBytes, std::wstring& strText)
{
    return DecodeUnits(strBytes, strText);
}

bool portable_utf8::Decode(std::string_view strBytes, std::u16string& strText)
{
    return DecodeUnits(strBytes, strText);
}

std::size_t Utf16Length(const std::wstring& strText)
{
    if (kUtf16<wchar_t>)
        return strText.size();
    std::size_t nUnits = 0;
    for (wchar_t c : strText)
        nUnits += CodeOf(c) > 0xFFFF ? 2 : 1;
    return nUnits;
}

std::wstring Utf16Prefix(const std::wstring& strText, std::size_t nUnits)
{
    return PrefixUnits(strText, nUnits);
}

std::u16string Utf16Prefix(const std::u16string& strText, std::size_t nUnits)
{
    return PrefixUnits(strText, nUnits);
}
