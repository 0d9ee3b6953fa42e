#include <gtest/gtest.h>

#include "exceptions.h"
#include "text_conversion.h"

namespace
{
std::wstring Units(std::initializer_list<unsigned long> codes)
{
    std::wstring strOut;
    for (unsigned long c : codes)
        strOut += static_cast<wchar_t>(c);
    return strOut;
}

// U+1F600 as the build's wchar_t holds it.
const std::wstring kEmoji = sizeof(wchar_t) == 2 ? Units({0xD83D, 0xDE00}) : Units({0x1F600});

// Each character alone and inside ASCII text on both sides of the 16-byte runs the codec takes at
// once: the same bytes either way.
const std::size_t kPlaces[] = {0, 15, 16, 17, 40, 255, 256, 300};
}  // namespace

TEST(TextConversion, EveryBoundaryCodePointRoundTrips)
{
    const std::pair<const char*, std::wstring> cases[] = {
        {"\x7F", Units({0x7F})},
        {"\xC2\x80", Units({0x80})},
        {"\xDF\xBF", Units({0x7FF})},
        {"\xE0\xA0\x80", Units({0x800})},
        {"\xED\x9F\xBF", Units({0xD7FF})},
        {"\xEE\x80\x80", Units({0xE000})},
        {"\xEF\xBF\xBF", Units({0xFFFF})},
        {"\xF0\x90\x80\x80", sizeof(wchar_t) == 2 ? Units({0xD800, 0xDC00}) : Units({0x10000})},
        {"\xF0\x9F\x98\x80", kEmoji},
        {"\xF4\x8F\xBF\xBF", sizeof(wchar_t) == 2 ? Units({0xDBFF, 0xDFFF}) : Units({0x10FFFF})},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(portable_utf8::Encode(c.second), c.first);
        EXPECT_EQ(Utf8ToWide(c.first), c.second);
        for (std::size_t nAt : kPlaces)
        {
            std::string strBytes(nAt, 'a');
            strBytes += c.first + std::string(20, 'z');
            const std::wstring strText = std::wstring(nAt, L'a') + c.second + std::wstring(20, L'z');
            SCOPED_TRACE(strBytes.substr(nAt));
            SCOPED_TRACE(nAt);
            std::wstring strDecoded;
            EXPECT_TRUE(portable_utf8::Decode(strBytes, strDecoded));
            EXPECT_EQ(strDecoded, strText);
            EXPECT_EQ(portable_utf8::Encode(strText), strBytes);
            EXPECT_EQ(Utf8ToWide(strBytes), strText);
            EXPECT_EQ(WideToUtf8(strText), strBytes);
        }
    }
    // Long mixed text crosses the encoder's blocks at every place; it is appended to what is there.
    std::string strOut = "x";
    std::wstring strLong;
    std::string strExpected = "x";
    for (int i = 0; i < 200; ++i)
    {
        strLong += cases[i % 10].second + std::wstring(i % 19, L'b');
        strExpected += cases[i % 10].first + std::string(i % 19, 'b');
    }
    AppendUtf8(strLong, strOut);
    EXPECT_EQ(strOut, strExpected);
    EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(Utf8ToWide(""), L"");
}

TEST(TextConversion, EveryMalformedSequenceIsRefused)
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
            for (std::size_t nAfter : {0u, 20u})
            {
                const std::string strBytes = std::string(nAt, 'a') + pszBad + std::string(nAfter, 'z');
                SCOPED_TRACE(strBytes.substr(nAt));
                SCOPED_TRACE(nAt);
                std::wstring strOut = L"unchanged";
                EXPECT_FALSE(portable_utf8::Decode(strBytes, strOut));
                EXPECT_EQ(strOut, L"unchanged");
                try
                {
                    Utf8ToWide(strBytes);
                    ADD_FAILURE() << "accepted";
                }
                catch (const COleException& e)
                {
                    EXPECT_EQ(e.m_sc, HResultFromWin32(1113));
                }
            }
        }
    }
}

TEST(TextConversion, WideTextWithoutUtf8FormBecomesTheReplacementCharacter)
{
    const std::wstring cases[] = {Units({0xD800}), Units({0xDBFF}), Units({0xDC00}), Units({0xDFFF}),
                                  Units({0xDC00, 0xD800})};
    for (const std::wstring& strBad : cases)
    {
        for (std::size_t nAt : kPlaces)
        {
            const std::wstring strText = std::wstring(nAt, L'a') + strBad + L"z";
            std::string strExpected(nAt, 'a');
            for (std::size_t i = 0; i < strBad.size(); ++i)
                strExpected += "\xEF\xBF\xBD";
            EXPECT_EQ(portable_utf8::Encode(strText), strExpected + "z") << nAt;
        }
    }
    if (sizeof(wchar_t) == 4)
    {
        EXPECT_EQ(portable_utf8::Encode(Units({0x110000})), "\xEF\xBF\xBD");
    }
}

TEST(TextConversion, Utf16PrefixCountsUnitsAndNeverSplitsAPair)
{
    const std::wstring strText = L"a" + kEmoji + L"b";
    const struct
    {
        std::wstring strText;
        std::size_t nUnits;
        std::wstring strPrefix;
    } cases[] = {
        {L"abcdef", 4, L"abcd"},
        {L"ab", 200, L"ab"},
        {L"ab", 0, L""},
        {strText, 1, L"a"},
        {strText, 2, L"a"},
        {strText, 3, L"a" + kEmoji},
        {strText, 4, strText},
        {kEmoji + L"b", 1, L""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Utf16Prefix(c.strText, c.nUnits), c.strPrefix) << c.nUnits;
        EXPECT_LE(Utf16Length(Utf16Prefix(c.strText, c.nUnits)), c.nUnits);
    }
    EXPECT_EQ(Utf16Length(strText), 4u);
    if (sizeof(wchar_t) == 4)
    {
        // Surrogate values held as characters of their own are no pair to keep together.
        EXPECT_EQ(Utf16Prefix(Units({'a', 0xD800, 0xDC00}), 2), Units({'a', 0xD800}));
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
