#include <gtest/gtest.h>

#include "session/session.h"
#include "session/session_name.h"
#include "tests/native/test_support.h"

TEST(UrlItem, AMissingOrEmptyTitleIsBlankPage)
{
    const std::pair<const wchar_t*, const wchar_t*> blank[] = {
        {L"about:blank", nullptr}, {L"http://example.com/", L""}, {nullptr, nullptr}, {L"", L""}};
    for (const auto& c : blank)
        EXPECT_EQ(CUrlItem(c.first, c.second).GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(nullptr, L"Mine").GetTitle(), L"Mine");
    EXPECT_EQ(CUrlItem(nullptr, L"t").GetUrl(), L"");
}

TEST(Session, IndexesOutOfRangeGiveNone)
{
    const CSession session = MakeSession(L"s", {{{L"a", L"A"}, {L"b", L"B"}}, {{L"c", L"C"}}});
    EXPECT_EQ(session.GetUrlItemsCount(), 3);
    EXPECT_EQ(CSession(L"x", 0).GetUrlItemsCount(), 0);
    EXPECT_EQ(session.GetInstanceSet(2), nullptr);
    EXPECT_EQ(session.GetInstanceSet(-1), nullptr);
    const CInstanceSet* pFirst = session.GetInstanceSet(0);
    ASSERT_NE(pFirst, nullptr);
    EXPECT_EQ(pFirst->GetUrlItem(1)->GetUrl(), L"b");
    EXPECT_EQ(pFirst->GetUrlItem(2), nullptr);
    EXPECT_EQ(pFirst->GetUrlItem(-1), nullptr);
}

TEST(SessionName, RefusesWhatAFileNameCannotHoldAndTheDot)
{
    for (wchar_t c : std::wstring(L"\\/:*?\"<>|."))
        EXPECT_TRUE(IsRefusedNameCharacter(c)) << static_cast<int>(c);
    for (wchar_t c : std::wstring(L"aZ 09-_()[]~'&\u00e9"))
        EXPECT_FALSE(IsRefusedNameCharacter(c)) << static_cast<int>(c);
    EXPECT_TRUE(ContainsRefusedNameCharacter(L"notes.txt"));
    EXPECT_FALSE(ContainsRefusedNameCharacter(L"2026-12-06 work"));
}
