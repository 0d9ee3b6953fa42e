#include <gtest/gtest.h>

#include "exceptions.h"
#include "text_conversion.h"

namespace
{
// U+1F600 as UTF-16 code units, whatever the width of wchar_t.
std::wstring Emoji()
{
    return Utf8ToWide("\xF0\x9F\x98\x80");
}
}  // namespace

TEST(TextConversion, RoundTripsEveryPlane)
{
    const std::string strUtf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z";  // a é € 😀 z
    const std::wstring strWide = Utf8ToWide(strUtf8);
    EXPECT_EQ(Utf16Length(strWide), 6u);
    EXPECT_EQ(WideToUtf8(strWide), strUtf8);
    EXPECT_EQ(WideToUtf8(L""), "");
    EXPECT_EQ(Utf8ToWide(""), L"");
    // Embedded NULs are text like any other.
    EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextConversion, InvalidUtf8RaisesTheFrameworkException)
{
    const char* const cases[] = {
        "\xFF",              // never valid
        "\xC3",              // truncated
        "\xC0\xAF",          // overlong
        "\xE0\x80\xAF",      // overlong
        "abc\x80",           // stray continuation
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
    };
    for (const char* pszCase : cases)
    {
        SCOPED_TRACE(pszCase);
        try
        {
            Utf8ToWide(pszCase);
            ADD_FAILURE() << "accepted";
        }
        catch (const COleException& e)
        {
            EXPECT_EQ(e.m_sc, HResultFromWin32(1113));
            EXPECT_FALSE(e.GetErrorMessage().empty());
        }
    }
}

TEST(TextConversion, PortableCodecAgreesWithTheBuild)
{
    const std::string strUtf8 = "x\xC3\xA9\xF0\x9F\x98\x80";
    std::wstring strWide;
    ASSERT_TRUE(portable_utf8::Decode(strUtf8, strWide));
    EXPECT_EQ(strWide, Utf8ToWide(strUtf8));
    EXPECT_EQ(portable_utf8::Encode(strWide), strUtf8);
    EXPECT_FALSE(portable_utf8::Decode("\xED\xA0\x80", strWide));  // an encoded surrogate
    // A lone surrogate has no UTF-8 form: it becomes U+FFFD.
    EXPECT_EQ(portable_utf8::Encode(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextConversion, PortableCodecTakesLongTextAsItTakesEachCharacter)
{
    // Long text is converted in blocks; a character at any place in or around a block, and text
    // longer than the encoder's block of bytes, must come out as each character alone does.
    const std::wstring foreign[] = {Utf8ToWide("\xC3\xA9"), Utf8ToWide("\xE2\x82\xAC"), Emoji(),
                                    std::wstring(1, static_cast<wchar_t>(0xD800)),
                                    std::wstring(1, L'\0')};
    for (const std::wstring& strForeign : foreign)
    {
        for (std::size_t nLength : {15u, 16u, 17u, 33u, 300u})
        {
            for (std::size_t nAt = 0; nAt <= nLength; ++nAt)
            {
                std::wstring strText;
                std::string strExpected;
                for (std::size_t i = 0; i < nLength; ++i)
                {
                    const std::wstring strOne =
                        i == nAt ? strForeign
                                 : std::wstring(1, static_cast<wchar_t>(L'a' + i % 26));
                    strText += strOne;
                    strExpected += portable_utf8::Encode(strOne);
                }
                SCOPED_TRACE(std::to_string(nLength) + " characters, the other one at " +
                             std::to_string(nAt));
                EXPECT_EQ(portable_utf8::Encode(strText), strExpected);
                std::wstring strBack;
                ASSERT_TRUE(portable_utf8::Decode(strExpected, strBack));
                // A lone surrogate has come back as U+FFFD.
                EXPECT_EQ(portable_utf8::Encode(strBack), strExpected);
                if (strForeign[0] != 0xD800)
                {
                    EXPECT_EQ(strBack, strText);
                }
            }
        }
    }
}

TEST(TextConversion, PortableDecoderRefusesInvalidBytesAfterLongAsciiRuns)
{
    for (const char* pszBad : {"\x80", "\xC3", "\xFF", "\xED\xA0\x80", "\xF0\x9F\x98"})
    {
        for (std::size_t nAt : {0u, 15u, 16u, 17u, 40u, 48u})
        {
            std::string strBytes(48, 'a');
            strBytes.insert(nAt, pszBad);
            SCOPED_TRACE(strBytes);
            std::wstring strOut = L"unchanged";
            EXPECT_FALSE(portable_utf8::Decode(strBytes, strOut));
            EXPECT_EQ(strOut, L"unchanged");
        }
    }
}

TEST(TextConversion, AppendUtf8AddsToWhatIsThere)
{
    std::string strOut = "x";
    AppendUtf8(L"", strOut);
    AppendUtf8(Utf8ToWide("\xC3\xA9") + std::wstring(20, L'y'), strOut);
    EXPECT_EQ(strOut, "x\xC3\xA9" + std::string(20, 'y'));
}

TEST(TextConversion, Utf16PrefixCountsUnitsAndNeverSplitsAPair)
{
    EXPECT_EQ(Utf16Prefix(L"abcdef", 4), L"abcd");
    EXPECT_EQ(Utf16Prefix(L"ab", 200), L"ab");
    // "a" then U+1F600 (two units): a cut after two units would split the pair.
    const std::wstring strText = L"a" + Emoji() + L"b";
    EXPECT_EQ(Utf16Prefix(strText, 2), L"a");
    EXPECT_EQ(Utf16Prefix(strText, 3), L"a" + Emoji());
    EXPECT_EQ(Utf16Length(Utf16Prefix(strText, 3)), 3u);
}

TEST(Exceptions, MessagesAreCutToTheBuffer)
{
    const CFileException e(CFileException::fileNotFound, 2, L"C:\\s\\work");
    wchar_t sz[8];
    EXPECT_TRUE(e.GetErrorMessage(sz, 8));
    EXPECT_EQ(std::wstring(sz), e.GetErrorMessage().substr(0, 7));
    EXPECT_NE(e.GetErrorMessage().find(L"work"), std::wstring::npos);
    EXPECT_FALSE(COleException(0x12345678).GetErrorMessage(sz, 0));
    EXPECT_THROW(ThrowOleException(kEOutOfMemory), CMemoryException);
    EXPECT_THROW(ThrowOleException(HResultFromWin32(5)), COleException);
}
