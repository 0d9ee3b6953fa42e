#include <gtest/gtest.h>

#include <string_view>
#include <type_traits>

#include "base/exceptions.h"
#include "session/text_conversion.h"

namespace
{
// The codec over each code unit it takes: wchar_t as the build has it (also through the throwing
// forms), and UTF-16 wherever wchar_t is wider.
struct WideCodec
{
    using Char = wchar_t;
    static std::string Encode(const std::wstring& strText)
    {
        const std::string strBytes = portable_utf8::Encode(strText);
        EXPECT_EQ(WideToUtf8(strText), strBytes);
        return strBytes;
    }
    static bool Decode(std::string_view strBytes, std::wstring& strText)
    {
        const std::string strCopy(strBytes);
        const bool bDone = portable_utf8::Decode(strCopy, strText);
        try
        {
            EXPECT_EQ(Utf8ToWide(strCopy), strText);
            EXPECT_TRUE(bDone);
        }
        catch (const COleException& e)
        {
            EXPECT_EQ(e.m_sc, HResultFromWin32(1113));
            EXPECT_FALSE(bDone);
        }
        return bDone;
    }
};

struct Utf16Codec
{
    using Char = char16_t;
    static std::string Encode(const std::u16string& strText)
    {
        std::string strBytes;
        portable_utf8::Encode(strText, strBytes);
        return strBytes;
    }
    static bool Decode(std::string_view strBytes, std::u16string& strText)
    {
        return portable_utf8::Decode(strBytes, strText);
    }
};

// Code points as the unit type holds them: a pair each above U+FFFF in UTF-16. Values that are no
// code point (lone surrogates, beyond U+10FFFF) are taken as units.
template <class Char>
std::basic_string<Char> Text(std::initializer_list<unsigned long> codes)
{
    std::basic_string<Char> strOut;
    for (unsigned long c : codes)
    {
        if (sizeof(Char) == 2 && c >= 0x10000 && c <= 0x10FFFF)
        {
            strOut += static_cast<Char>(0xD800 + ((c - 0x10000) >> 10));
            strOut += static_cast<Char>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
        else
        {
            strOut += static_cast<Char>(c);
        }
    }
    return strOut;
}

template <class Char>
std::basic_string<Char> Ascii(std::size_t n, char c)
{
    return std::basic_string<Char>(n, static_cast<Char>(c));
}

// Each character alone and inside ASCII text on both sides of the 16-byte runs the codec takes at
// once: the same bytes either way.
const std::size_t kPlaces[] = {0, 15, 16, 17, 40, 255, 256, 300};
}  // namespace

template <class Codec>
class TextConversion : public ::testing::Test
{
};
using Codecs = ::testing::Types<WideCodec, Utf16Codec>;
TYPED_TEST_SUITE(TextConversion, Codecs);

TYPED_TEST(TextConversion, EveryBoundaryCodePointRoundTrips)
{
    using Char = typename TypeParam::Char;
    const std::pair<const char*, unsigned long> cases[] = {
        {"\x7F", 0x7F},        {"\xC2\x80", 0x80},          {"\xDF\xBF", 0x7FF},
        {"\xE0\xA0\x80", 0x800}, {"\xED\x9F\xBF", 0xD7FF},  {"\xEE\x80\x80", 0xE000},
        {"\xEF\xBF\xBF", 0xFFFF}, {"\xF0\x90\x80\x80", 0x10000}, {"\xF0\x9F\x98\x80", 0x1F600},
        {"\xF4\x8F\xBF\xBF", 0x10FFFF},
    };
    for (const auto& c : cases)
    {
        for (std::size_t nAt : kPlaces)
        {
            for (std::size_t nAfter : {0, 20})
            {
                const std::string strBytes = std::string(nAt, 'a') + c.first + std::string(nAfter, 'z');
                const auto strText = Ascii<Char>(nAt, 'a') + Text<Char>({c.second}) + Ascii<Char>(nAfter, 'z');
                SCOPED_TRACE(strBytes.substr(nAt));
                SCOPED_TRACE(nAt);
                std::basic_string<Char> strDecoded;
                EXPECT_TRUE(TypeParam::Decode(strBytes, strDecoded));
                EXPECT_TRUE(strDecoded == strText);
                EXPECT_EQ(TypeParam::Encode(strText), strBytes);
            }
        }
    }
    // Long mixed text crosses the encoder's blocks at every place; it is appended to what is there.
    std::string strOut = "x";
    std::basic_string<Char> strLong;
    std::string strExpected = "x";
    for (int i = 0; i < 200; ++i)
    {
        strLong += Text<Char>({cases[i % 10].second}) + Ascii<Char>(i % 19, 'b');
        strExpected += cases[i % 10].first + std::string(i % 19, 'b');
    }
    if constexpr (std::is_same_v<Char, wchar_t>)
    {
        AppendUtf8(strLong, strOut);
    }
    else
    {
        portable_utf8::Encode(strLong, strOut);
    }
    EXPECT_EQ(strOut, strExpected);
    EXPECT_EQ(TypeParam::Encode(Text<Char>({'a', 0, 'b'})), std::string("a\0b", 3));
    std::basic_string<Char> strEmpty = Text<Char>({'x'});
    EXPECT_TRUE(TypeParam::Decode("", strEmpty));
    EXPECT_TRUE(strEmpty.empty());
}

TYPED_TEST(TextConversion, EveryMalformedSequenceIsRefused)
{
    const char* const cases[] = {
        "\x80", "\xBF", "\xC0\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF",  // stray, overlong
        "\xED\xA0\x80", "\xED\xBF\xBF",                                              // surrogates
        "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8", "\xFF",                      // beyond U+10FFFF
        "\xC2", "\xE0\xA0", "\xF0\x90\x80",                                          // truncated
        "\xC2\x41", "\xE0\xA0\x41", "\xF0\x90\x80\x41", "\xC2\xC2\x80",              // a trail missing
    };
    for (const char* pszBad : cases)
    {
        for (std::size_t nAt : kPlaces)
        {
            for (std::size_t nAfter : {0, 20})
            {
                // Trail bytes beyond the end of the text must not complete a truncated sequence.
                const std::string strBytes =
                    std::string(nAt, 'a') + pszBad + std::string(nAfter, 'z') + "\x80\x80\x80";
                SCOPED_TRACE(strBytes.substr(nAt));
                SCOPED_TRACE(nAt);
                auto strOut = Text<typename TypeParam::Char>({'u'});
                EXPECT_FALSE(TypeParam::Decode(std::string_view(strBytes).substr(0, strBytes.size() - 3), strOut));
                EXPECT_TRUE(strOut == Text<typename TypeParam::Char>({'u'}));
            }
        }
    }
}

TYPED_TEST(TextConversion, UnitsWithoutUtf8FormBecomeTheReplacementCharacter)
{
    using Char = typename TypeParam::Char;
    const bool bUtf16 = sizeof(Char) == 2;
    const std::string R = "\xEF\xBF\xBD";
    const std::pair<std::basic_string<Char>, std::string> cases[] = {
        {Text<Char>({0xD800}), R},
        {Text<Char>({0xDBFF}), R},
        {Text<Char>({0xDC00}), R},
        {Text<Char>({0xDFFF}), R},
        {Text<Char>({0xDC00, 0xD800}), R + R},
        {Text<Char>({0xD800, 'y'}), R + "y"},
        // Units that make a pair in UTF-16 are two values without a code point in UTF-32.
        {Text<Char>({0xD800, 0xDC00}), bUtf16 ? "\xF0\x90\x80\x80" : R + R},
        {Text<Char>({bUtf16 ? 0xDB00ul : 0x110000ul}), R},
    };
    for (const auto& c : cases)
    {
        for (std::size_t nAt : kPlaces)
            EXPECT_EQ(TypeParam::Encode(Ascii<Char>(nAt, 'a') + c.first), std::string(nAt, 'a') + c.second) << nAt;
    }
}

TYPED_TEST(TextConversion, Utf16PrefixCountsUnitsAndNeverSplitsAPair)
{
    using Char = typename TypeParam::Char;
    const auto strText = Text<Char>({'a', 0x1F600, 'b'});
    const struct
    {
        std::basic_string<Char> strText;
        std::size_t nUnits;
        std::basic_string<Char> strPrefix;
    } cases[] = {
        {Text<Char>({'a', 'b', 'c'}), 2, Text<Char>({'a', 'b'})},
        {Text<Char>({'a', 'b'}), 200, Text<Char>({'a', 'b'})},
        {Text<Char>({'a', 'b'}), 0, {}},
        {strText, 1, Text<Char>({'a'})},
        {strText, 2, Text<Char>({'a'})},
        {strText, 3, Text<Char>({'a', 0x1F600})},
        {strText, 4, strText},
        {Text<Char>({0x1F600, 'b'}), 1, {}},
        // Surrogate values that are no pair are units of their own.
        {Text<Char>({'a', 0xDC00, 0xD800}), 2, Text<Char>({'a', 0xDC00})},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.nUnits);
        EXPECT_TRUE(Utf16Prefix(c.strText, c.nUnits) == c.strPrefix);
        if constexpr (std::is_same_v<Char, wchar_t>)
        {
            // The length the other form of the same text has.
            std::u16string strUnits;
            EXPECT_TRUE(portable_utf8::Decode(portable_utf8::Encode(c.strText), strUnits));
            EXPECT_EQ(Utf16Length(c.strText), strUnits.size());
        }
    }
}

TEST(Exceptions, MessagesAreCutToTheBuffer)
{
    const CFileException e(CFileException::fileNotFound, 2, L"C:\\s\\work");
    wchar_t sz[64];
    EXPECT_TRUE(e.GetErrorMessage(sz, 8));
    EXPECT_EQ(std::wstring(sz), e.GetErrorMessage().substr(0, 7));
    EXPECT_NE(e.GetErrorMessage().find(L"work"), std::wstring::npos);
    EXPECT_FALSE(COleException(0x12345678).GetErrorMessage(sz, 8));
    EXPECT_EQ(sz[0], L'\0');
    EXPECT_FALSE(e.GetErrorMessage(sz, 0));
    EXPECT_THROW(ThrowOleException(kEOutOfMemory), CMemoryException);
    EXPECT_THROW(ThrowOleException(HResultFromWin32(5)), COleException);
}
