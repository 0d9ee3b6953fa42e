#include <gtest/gtest.h>

#include "session.h"
#include "session_name.h"
#include "test_support.h"

TEST(UrlItem, TitleFallsBackToBlankPage)
{
    EXPECT_EQ(CUrlItem(L"about:blank", nullptr).GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(L"http://example.com/", L"").GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(nullptr, nullptr).GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(L"", nullptr).GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(L"", L"").GetTitle(), L"Blank page");
    EXPECT_EQ(CUrlItem(L"about:blank", L"Mine").GetTitle(), L"Mine");
    EXPECT_EQ(CUrlItem(nullptr, L"Mine").GetTitle(), L"Mine");

    const CUrlItem missing(nullptr, L"t");
    EXPECT_EQ(missing.GetUrl(), L"");

    CUrlItem item(L"a", L"b");
    item.SetTitle(L"");  // SetTitle takes the text as it is
    EXPECT_EQ(item.GetTitle(), L"");
}

TEST(Session, IndexesOutOfRangeGiveNone)
{
    const CSession empty(L"x", 0);
    EXPECT_EQ(empty.GetInstanceSetsCount(), 0);
    EXPECT_EQ(empty.GetUrlItemsCount(), 0);
    EXPECT_EQ(empty.GetInstanceSet(0), nullptr);
    EXPECT_EQ(empty.GetInstanceSet(-1), nullptr);

    const CSession session = MakeSession(L"s", {{{L"a", L"A"}, {L"b", L"B"}}, {{L"c", L"C"}}});
    ASSERT_NE(session.GetInstanceSet(1), nullptr);
    EXPECT_EQ(session.GetInstanceSet(2), nullptr);
    EXPECT_EQ(session.GetInstanceSet(-1), nullptr);
    EXPECT_EQ(session.GetUrlItemsCount(), 3);
    const CInstanceSet* pFirst = session.GetInstanceSet(0);
    EXPECT_EQ(pFirst->GetUrlItem(1)->GetUrl(), L"b");
    EXPECT_EQ(pFirst->GetUrlItem(2), nullptr);
    EXPECT_EQ(pFirst->GetUrlItem(-1), nullptr);
}

TEST(Session, CopiesAreIndependent)
{
    CSession source = MakeSession(L"source", {{{L"a", L"A"}}});
    CSession copy = source;
    copy.SetName(L"copy");
    CInstanceSet set;
    CUrlItem item(L"b", L"B");
    set.AddUrlItem(item);
    item.SetUrl(L"changed after adding");
    copy.AddInstanceSet(set);
    set.AddUrlItem(item);

    EXPECT_EQ(source.GetName(), L"source");
    EXPECT_EQ(source.GetInstanceSetsCount(), 1);
    EXPECT_EQ(copy.GetInstanceSetsCount(), 2);
    EXPECT_EQ(copy.GetInstanceSet(1)->GetUrlItemsCount(), 1);
    EXPECT_EQ(copy.GetInstanceSet(1)->GetUrlItem(0)->GetUrl(), L"b");

    source = copy;
    EXPECT_EQ(Describe(source), Describe(copy));
    EXPECT_EQ(source.GetTime(), copy.GetTime());
}

TEST(Session, MovesHandOverEveryWindowAndTab)
{
    const CSession original = MakeSession(L"s", {{{L"a", L"A"}, {L"b", L"B"}}, {{L"c", L"C"}}});
    CSession source = original;
    CSession moved(std::move(source));
    EXPECT_EQ(moved.GetName(), L"s");
    EXPECT_EQ(moved.GetTime(), original.GetTime());
    EXPECT_EQ(Describe(moved), Describe(original));
    CSession assigned(L"other", 1);
    assigned = std::move(moved);
    EXPECT_EQ(assigned.GetName(), L"s");
    EXPECT_EQ(Describe(assigned), Describe(original));

    CInstanceSet set;
    set.ReserveUrlItems(2);
    CUrlItem item(L"http://x/", L"X");
    set.AddUrlItem(std::move(item));
    set.AddUrlItem(CUrlItem(L"y", L"Y"));
    assigned.ReserveInstanceSets(1);
    assigned.AddInstanceSet(std::move(set));
    EXPECT_EQ(Describe(assigned), Describe(original) + L" [3] <http://x/|X> <y|Y>");
}

TEST(SessionName, RefusesWhatAFileNameCannotHoldAndTheDot)
{
    for (wchar_t c : std::wstring(L"\\/:*?\"<>|."))
        EXPECT_TRUE(IsRefusedNameCharacter(c)) << static_cast<int>(c);
    for (wchar_t c : std::wstring(L"aZ 09-_()[]~'&\u00e9"))
        EXPECT_FALSE(IsRefusedNameCharacter(c)) << static_cast<int>(c);
    EXPECT_TRUE(ContainsRefusedNameCharacter(L"notes.txt"));
    EXPECT_TRUE(ContainsRefusedNameCharacter(L"a/b"));
    EXPECT_FALSE(ContainsRefusedNameCharacter(L"2026-12-06 work"));
}
