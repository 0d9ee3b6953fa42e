// Sessions for the storage benchmarks, made up the same way on every run and every platform:
// addresses of 30 to 200 bytes over many hosts, paths and query strings, titles as sites give
// them, and every tenth tab with non-ASCII text (CJK, Cyrillic, accented Latin, emoji) in its
// title and often in its path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "session/session.h"

// A small generator of our own: the standard distributions differ between libraries, and the
// Windows and the native figures must come from the same sessions.
class CCorpusRandom
{
public:
    explicit CCorpusRandom(std::uint64_t nSeed) : m_nState(nSeed) {}

    std::uint64_t Next();
    // Uniform in [0, n); n > 0.
    std::size_t Below(std::size_t n);
    bool Percent(unsigned nPercent) { return Below(100) < nPercent; }

    template <typename T, std::size_t N> const T& Pick(const T (&items)[N])
    {
        return items[Below(N)];
    }

private:
    std::uint64_t m_nState;
};

// nTabs tabs over nWindows windows (a few tabs each at least), all from nSeed.
CSession MakeCorpusSession(const std::wstring& strName, int nTabs, int nWindows,
                           std::uint64_t nSeed);

// The catalogue corpus: session i of nSessions has a name of its own and 1 to 5 windows.
std::wstring CorpusSessionName(int nIndex);
CSession MakeCatalogueSession(int nIndex, int nTabs);

// The large session of the writer and reader figures: nTabs tabs in one window, the heaviest
// case for the arrays the reader fills.
std::wstring LargeSessionName();
CSession MakeLargeSession(int nTabs);

// Writes the session with the product's writer into strFolder under its name.
void SaveCorpusSession(CSession& session, const std::wstring& strFolder);
