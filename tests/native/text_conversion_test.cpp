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
