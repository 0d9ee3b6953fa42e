#include "session/session_search.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace
{
constexpr wchar_t kFirstUnfolded = 0x0500;

// U+00C0 to U+017F, each as its lower-case letter without diacritics. The ligatures, the
// letters of their own (æ ð þ ß ı ĸ ŋ œ ſ) and the two signs stay what they are, in lower case.
constexpr wchar_t kLatinFolds[] =
    L"aaaaaaæceeeeiiiiðnooooo×ouuuuyþßaaaaaaæceeeeiiiiðnooooo÷ouuuuyþy"
    L"aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiıĳĳjjkkĸlllllll"
    L"lllnnnnnnŉŋŋooooooœœrrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzſ";
static_assert(sizeof(kLatinFolds) / sizeof(wchar_t) == 0x0180 - 0x00C0 + 1,
              "one letter per code point");

constexpr bool IsEven(unsigned c)
{
    return c % 2 == 0;
}

// The simple lower-case mapping of Unicode within the Greek and Cyrillic blocks.
constexpr unsigned LowerGreekOrCyrillic(unsigned c)
{
    if (c == 0x0370 || c == 0x0372 || c == 0x0376)
        return c + 1;
    if (c == 0x037F)
        return 0x03F3;
    if (c == 0x0386)
        return 0x03AC;
    if (c >= 0x0388 && c <= 0x038A)
        return c + 37;
    if (c == 0x038C)
        return 0x03CC;
    if (c == 0x038E || c == 0x038F)
        return c + 63;
    if (c >= 0x0391 && c <= 0x03AB && c != 0x03A2)
        return c + 32;
    if (c == 0x03CF)
        return 0x03D7;
    if (c >= 0x03D8 && c <= 0x03EF && IsEven(c))
        return c + 1;
    if (c == 0x03F4)
        return 0x03B8;
    if (c == 0x03F7 || c == 0x03FA)
        return c + 1;
    if (c == 0x03F9)
        return 0x03F2;
    if (c >= 0x03FD && c <= 0x03FF)
        return c - 130;
    if (c >= 0x0400 && c <= 0x040F)
        return c + 80;
    if (c >= 0x0410 && c <= 0x042F)
        return c + 32;
    if (((c >= 0x0460 && c <= 0x0481) || (c >= 0x048A && c <= 0x04BF) || c >= 0x04D0) && IsEven(c))
        return c + 1;
    if (c == 0x04C0)
        return 0x04CF;
    if (c >= 0x04C1 && c <= 0x04CE && !IsEven(c))
        return c + 1;
    return c;
}

constexpr std::array<wchar_t, kFirstUnfolded> BuildFolds()
{
    std::array<wchar_t, kFirstUnfolded> folds{};
    for (unsigned c = 0; c < kFirstUnfolded; ++c)
    {
        if (c >= L'A' && c <= L'Z')
            folds[c] = static_cast<wchar_t>(c + (L'a' - L'A'));
        else if (c >= 0x00C0 && c < 0x0180)
            folds[c] = kLatinFolds[c - 0x00C0];
        else
            folds[c] = static_cast<wchar_t>(LowerGreekOrCyrillic(c));
    }
    return folds;
}

constexpr std::array<wchar_t, kFirstUnfolded> kFolds = BuildFolds();

// ASCII units, the most frequent in names, titles and addresses first; any other unit is rarer.
constexpr char kCommonUnits[] = " /.:etaoinsrhlcdpmuwgf-y0123456789bv_k=?&xjqz";

int Commonness(wchar_t c)
{
    for (std::size_t i = 0; kCommonUnits[i]; ++i)
    {
        if (c == static_cast<unsigned char>(kCommonUnits[i]))
            return static_cast<int>(sizeof(kCommonUnits) - i);
    }
    return 0;
}

// Calls fn with each text a session is found by, its name, then each tab's title and address,
// until fn returns true; whether it did.
template <typename Fn>
bool AnyText(const CSession& session, Fn fn)
{
    if (fn(std::wstring_view(session.GetName())))
        return true;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        for (const CUrlItem& tab : session.GetInstanceSet(i)->GetUrlItems())
        {
            if (fn(std::wstring_view(tab.GetTitle())) || fn(std::wstring_view(tab.GetUrlRef())))
                return true;
        }
    }
    return false;
}

void AppendFolded(std::wstring& strTarget, std::wstring_view text)
{
    for (const wchar_t c : text)
        strTarget.push_back(FoldForSearch(c));
    strTarget.push_back(L'\0');
}
}  // namespace

wchar_t FoldForSearch(wchar_t c)
{
    return static_cast<unsigned>(c) < kFirstUnfolded ? kFolds[static_cast<unsigned>(c)] : c;
}

std::wstring FoldForSearch(std::wstring_view text)
{
    std::wstring strFolded(text);
    for (wchar_t& c : strFolded)
        c = FoldForSearch(c);
    return strFolded;
}

CSessionSearch::CSessionSearch(std::wstring_view text)
    : m_strFolded(FoldForSearch(text.substr(0, text.find(L'\0')))),
      m_fallbacks(m_strFolded.size(), 0)
{
    for (std::size_t k = 1, nLength = 0; k < m_strFolded.size(); ++k)
    {
        while (nLength > 0 && m_strFolded[k] != m_strFolded[nLength])
            nLength = m_fallbacks[nLength - 1];
        if (m_strFolded[k] == m_strFolded[nLength])
            ++nLength;
        m_fallbacks[k] = nLength;
    }
    // The two rarest units, each at its first position; one unit twice for a text of one.
    const auto rarer = [this](std::size_t a, std::size_t b) {
        return Commonness(m_strFolded[a]) < Commonness(m_strFolded[b]);
    };
    for (std::size_t j = 1; j < m_strFolded.size(); ++j)
    {
        if (rarer(j, m_nAnchor))
        {
            m_nSecondAnchor = m_nAnchor;
            m_nAnchor = j;
        }
        else if (m_nSecondAnchor == m_nAnchor || rarer(j, m_nSecondAnchor))
        {
            m_nSecondAnchor = j;
        }
    }
}

std::size_t CSessionSearch::Advance(std::size_t k, wchar_t c) const
{
    while (k > 0 && c != m_strFolded[k])
        k = m_fallbacks[k - 1];
    return c == m_strFolded[k] ? k + 1 : k;
}

bool CSessionSearch::Matches(std::wstring_view text) const
{
    if (m_strFolded.empty())
        return true;
    // Folds as it goes: nothing is allocated for a text searched once.
    std::size_t k = 0;
    for (const wchar_t c : text)
    {
        k = Advance(k, FoldForSearch(c));
        if (k == m_strFolded.size())
            return true;
    }
    return false;
}

bool CSessionSearch::MatchesFolded(std::wstring_view foldedText) const
{
    const std::size_t nFind = m_strFolded.size();
    const std::size_t nText = foldedText.size();
    if (nFind == 0)
        return true;
    if (nText < nFind)
        return false;
    // Sixteen bytes of places at a time: a place where a match could start is compared whole only
    // when the text holds both of the rarest units where they would be. Compared units are
    // counted: a text made to fail late at every such place makes the search go on unit by unit
    // instead, so that it stays linear.
    using Lane = std::conditional_t<sizeof(wchar_t) == 2, std::uint16_t, std::uint32_t>;
    using Lanes = Lane __attribute__((vector_size(16)));
    constexpr std::size_t kLanes = 16 / sizeof(Lane);
    const wchar_t* const pText = foldedText.data();
    const std::size_t nLastStart = nText - nFind;
    const Lanes anchors = Lanes{} + static_cast<Lane>(m_strFolded[m_nAnchor]);
    const Lanes secondAnchors = Lanes{} + static_cast<Lane>(m_strFolded[m_nSecondAnchor]);
    std::size_t nBudget = 4 * nText + 64;
    // Compares the whole text at nStart; 1 for a match, -1 for "go on unit by unit", else 0.
    const auto compare = [&](std::size_t nStart) {
        std::size_t j = 0;
        while (j < nFind && pText[nStart + j] == m_strFolded[j])
            ++j;
        if (j == nFind)
            return 1;
        if (j >= nBudget)
            return -1;
        nBudget -= j + 1;
        return 0;
    };
    std::size_t nStart = 0;
    for (; nStart + kLanes - 1 <= nLastStart; nStart += kLanes)
    {
        Lanes units;
        Lanes secondUnits;
        std::memcpy(&units, pText + nStart + m_nAnchor, sizeof(units));
        std::memcpy(&secondUnits, pText + nStart + m_nSecondAnchor, sizeof(secondUnits));
        const auto places = (units == anchors) & (secondUnits == secondAnchors);
        std::uint64_t halves[2];
        std::memcpy(halves, &places, sizeof(halves));
        if ((halves[0] | halves[1]) == 0)
            continue;
        for (std::size_t nLane = 0; nLane < kLanes; ++nLane)
        {
            if (!places[nLane])
                continue;
            const int nResult = compare(nStart + nLane);
            if (nResult != 0)
                return nResult > 0 || MatchesFoldedFrom(foldedText, nStart + nLane);
        }
    }
    // The last places, fewer than a vector holds.
    return nStart <= nLastStart && MatchesFoldedFrom(foldedText, nStart);
}

bool CSessionSearch::MatchesFoldedFrom(std::wstring_view foldedText, std::size_t nFrom) const
{
    const wchar_t* const pText = foldedText.data();
    const std::size_t nText = foldedText.size();
    std::size_t k = 0;
    for (std::size_t i = nFrom; i < nText; ++i)
    {
        // Outside a partial match the system's search finds the next first unit, many at a time.
        if (k == 0)
        {
            const wchar_t* pFirst =
                std::char_traits<wchar_t>::find(pText + i, nText - i, m_strFolded[0]);
            if (!pFirst)
                return false;
            i = static_cast<std::size_t>(pFirst - pText);
        }
        k = Advance(k, pText[i]);
        if (k == m_strFolded.size())
            return true;
    }
    return false;
}

bool CSessionSearch::SessionMatches(const CSession& session) const
{
    return AnyText(session, [this](std::wstring_view text) { return Matches(text); });
}

CSessionSearchText::CSessionSearchText(const CSession& session)
{
    std::size_t nSize = 0;
    AnyText(session, [&nSize](std::wstring_view text) {
        nSize += text.size() + 1;
        return false;
    });
    m_strFolded.reserve(nSize);
    AnyText(session, [this](std::wstring_view text) {
        AppendFolded(m_strFolded, text);
        return false;
    });
}

bool CSessionSearchText::Matches(const CSessionSearch& search) const
{
    // The search holds no NUL, so a match lies within one text.
    return search.MatchesFolded(m_strFolded);
}
