#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "session/session_search.h"
#include "tests/native/test_support.h"

TEST(SessionSearch, FoldsCaseAndLatinDiacriticsOnlyInItsBlocks)
{
    const std::pair<wchar_t, wchar_t> folds[] = {
        {L'A', L'a'},           {L'Z', L'z'},           {L'z', L'z'},           {L'@', L'@'},
        {L'[', L'['},           {L'\u00C0', L'a'},      {L'\u00C9', L'e'},      {L'\u00DC', L'u'},
        {L'\u00E7', L'c'},      {L'\u00FF', L'y'},      {L'\u0178', L'y'},      {L'\u00D8', L'o'},
        {L'\u00F1', L'n'},      {L'\u00DF', L'\u00DF'}, {L'\u00C6', L'\u00E6'}, {L'\u00D0', L'\u00F0'},
        {L'\u00D7', L'\u00D7'}, {L'\u00F7', L'\u00F7'}, {L'\u00B5', L'\u00B5'}, {L'\u0130', L'i'},
        {L'\u0131', L'\u0131'}, {L'\u0141', L'l'},      {L'\u0152', L'\u0153'}, {L'\u017D', L'z'},
        {L'\u017F', L'\u017F'}, {L'\u0391', L'\u03B1'}, {L'\u03A3', L'\u03C3'}, {L'\u03C2', L'\u03C2'},
        {L'\u0386', L'\u03AC'}, {L'\u03AC', L'\u03AC'}, {L'\u03D8', L'\u03D9'}, {L'\u03FD', L'\u037B'},
        {L'\u0401', L'\u0451'}, {L'\u0451', L'\u0451'}, {L'\u042F', L'\u044F'}, {L'\u0460', L'\u0461'},
        {L'\u04C0', L'\u04CF'}, {L'\u04C1', L'\u04C2'}, {L'\u0376', L'\u0377'}, {L'\u0389', L'\u03AE'},
        {L'\u03AB', L'\u03CB'}, {L'\u0480', L'\u0481'}, {L'\u0481', L'\u0481'}, {L'\u04FE', L'\u04FF'},
        {L'\u01CD', L'\u01CD'}, {L'\u0500', L'\u0500'}, {L'\u1E9E', L'\u1E9E'}, {L'\uFF21', L'\uFF21'},
        {L'\u0370', L'\u0371'}, {wchar_t(0xD83D), wchar_t(0xD83D)}, {L'\0', L'\0'},
    };
    for (const auto& fold : folds)
        EXPECT_EQ(static_cast<int>(FoldForSearch(fold.first)), static_cast<int>(fold.second))
            << std::hex << static_cast<int>(fold.first);
    // Folding what is folded changes nothing: no table entry leads to another.
    for (unsigned c = 0; c < 0x0600; ++c)
    {
        const wchar_t folded = FoldForSearch(static_cast<wchar_t>(c));
        EXPECT_EQ(FoldForSearch(folded), folded) << std::hex << c;
    }
}

TEST(SessionSearch, FindsFoldedTextAnywhereInATextAndOnlyWithinOne)
{
    const CSessionSearch search(L"CAF\u00C9");
    EXPECT_TRUE(search.Matches(L"caf\u00E9"));
    EXPECT_TRUE(search.Matches(L"Le Caf\u00EB"));
    EXPECT_TRUE(search.Matches(L"xcafe"));
    EXPECT_FALSE(search.Matches(L"caf"));
    EXPECT_FALSE(search.Matches(L"cafx"));
    EXPECT_FALSE(search.Matches(L""));
    EXPECT_FALSE(CSessionSearch(L"stra\u00DFe").Matches(L"strasse"));
    EXPECT_TRUE(CSessionSearch(L"\u041C\u041E\u0421\u041A\u0412\u0410")
                    .Matches(L"\u043C\u043E\u0441\u043A\u0432\u0430"));
    EXPECT_FALSE(CSessionSearch(L"\u03B1").Matches(L"\u03AC"));
    EXPECT_TRUE(CSessionSearch(L"").Matches(L"anything"));
    EXPECT_TRUE(CSessionSearch(L"").IsEmpty());
    // A NUL ends the search text.
    EXPECT_EQ(CSessionSearch(std::wstring(L"ab\0cd", 5)).GetFolded(), L"ab");

    const CSession session = MakeSession(L"Reading", {{{L"http://news.example/", L"Morning News"}},
                                                      {{L"about:blank", L"Blank page"}}});
    const CSessionSearchText text(session);
    // The name, a title, an address; never across two texts or past an end.
    const std::pair<const wchar_t*, bool> searches[] = {
        {L"", true},
        {L"reading", true},
        {L"MORNING", true},
        {L"news.EXAMPLE", true},
        {L"about:", true},
        {L"page", true},
        {L"gmorn", false},
        {L"newshttp", false},
        {L"/morning", false},
        {L"Readingx", false},
        {L"blank pagex", false},
    };
    for (const auto& c : searches)
    {
        const CSessionSearch search(c.first);
        EXPECT_EQ(search.SessionMatches(session), c.second) << c.first;
        EXPECT_EQ(text.Matches(search), c.second) << c.first;
    }
    EXPECT_TRUE(CSessionSearch(L"blank").TabMatches(*session.GetInstanceSet(1)->GetUrlItem(0)));
    EXPECT_FALSE(CSessionSearch(L"news").TabMatches(*session.GetInstanceSet(1)->GetUrlItem(0)));
}

TEST(SessionSearch, FindsWhatAPlainSearchOfTheFoldedTextsFinds)
{
    // Few distinct units make many partial matches that fail late and overlap.
    const wchar_t units[] = {L'a', L'A', L'\u00E1', L'b', L'c'};
    std::mt19937 random(20261207);
    const auto randomText = [&](std::size_t nMaxLength) {
        std::wstring strText(random() % (nMaxLength + 1), L' ');
        for (wchar_t& c : strText)
            c = units[random() % std::size(units)];
        return strText;
    };
    for (int n = 0; n < 5000; ++n)
    {
        const std::wstring strText = randomText(40);
        const std::wstring strFind = randomText(7);
        const CSessionSearch search(strFind);
        const bool bExpected =
            FoldForSearch(strText).find(FoldForSearch(strFind)) != std::wstring::npos;
        ASSERT_EQ(search.Matches(strText), bExpected) << n;
        ASSERT_EQ(search.MatchesFolded(FoldForSearch(strText)), bExpected) << n;
    }

    // Texts that fail late wherever they could match, so often that the search goes on unit by
    // unit; the match is there or it is not.
    std::wstring strRuns;
    for (int n = 0; n < 200; ++n)
        strRuns += std::wstring(40, L'a') + L'b';
    strRuns += L'b';
    const CSessionSearch longRun(std::wstring(50, L'a'));
    EXPECT_FALSE(longRun.MatchesFolded(strRuns));
    EXPECT_FALSE(longRun.Matches(strRuns));
    EXPECT_TRUE(longRun.MatchesFolded(strRuns + std::wstring(50, L'a')));
    EXPECT_TRUE(longRun.Matches(strRuns + std::wstring(50, L'A')));
}
