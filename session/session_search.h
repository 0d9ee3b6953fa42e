// Finding text in sessions: by name, tab title and tab address, ignoring case and the diacritics
// of Latin letters. The fold is the product's own, so that the window, the command and every
// system agree on what matches; the systems' linguistic rules differ and fold more than wanted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

// The code unit as searches compare it: lower case for ASCII, Latin-1 Supplement, Latin
// Extended-A, Greek and Cyrillic; Latin letters without their diacritics (é and É give e, ß
// stays ß); anything else as it is.
wchar_t FoldForSearch(wchar_t c);
std::wstring FoldForSearch(std::wstring_view text);

// A text to find, folded once.
class CSessionSearch
{
public:
    // The text ends at its first NUL, as the edit and the command line give it.
    explicit CSessionSearch(std::wstring_view text);

    // An empty search matches everything.
    bool IsEmpty() const { return m_strFolded.empty(); }
    const std::wstring& GetFolded() const { return m_strFolded; }

    // Both in time linear in the text, whatever the text and the search hold.
    bool Matches(std::wstring_view text) const;
    // For a text folded already.
    bool MatchesFolded(std::wstring_view foldedText) const;
    bool TabMatches(const CUrlItem& tab) const
    {
        return Matches(tab.GetTitle()) || Matches(tab.GetUrlRef());
    }
    // By its name or any of its tabs.
    bool SessionMatches(const CSession& session) const;

private:
    // The matched length after the next unit c, from k units matched.
    std::size_t Advance(std::size_t k, wchar_t c) const;
    // MatchesFolded for a match that starts at nFrom or later, unit by unit.
    bool MatchesFoldedFrom(std::wstring_view foldedText, std::size_t nFrom) const;

    std::wstring m_strFolded;
    // The positions in the text to find of its two rarest units, as names, titles and addresses
    // go: where the search looks first.
    std::size_t m_nAnchor = 0;
    std::size_t m_nSecondAnchor = 0;
    // For each k, the length of the longest proper prefix of the first k + 1 units that also ends
    // them: where a partial match goes on after a mismatch, so no unit is looked at twice.
    std::vector<std::size_t> m_fallbacks;
};

// A session's texts folded once, so that a search typed a key at a time folds only itself.
class CSessionSearchText
{
public:
    explicit CSessionSearchText(const CSession& session);

    // The same answer as search.SessionMatches(session), for the session given when this was made.
    bool Matches(const CSessionSearch& search) const;

private:
    // The name, each title and each address, folded, each ended by a NUL: no search text holds
    // one, so no match spans two of them.
    std::wstring m_strFolded;
};
