#include "bench/storage/storage_corpus.h"

#include <algorithm>

#include "session/manual_saved_instance_saver.h"
#include "session/text_conversion.h"

namespace
{
// Fixed for the whole corpus, so that a kept corpus stays valid between runs.
constexpr std::uint64_t kCatalogueSeed = 0x51D7A11E5EEDull;

const char* const kHosts[] = {
    "en.wikipedia.org",
    "de.wikipedia.org",
    "github.com",
    "stackoverflow.com",
    "www.bbc.co.uk",
    "www.theguardian.com",
    "docs.python.org",
    "en.cppreference.com",
    "www.reddit.com",
    "news.ycombinator.com",
    "www.youtube.com",
    "arxiv.org",
    "www.imdb.com",
    "www.booking.com",
    "www.lemonde.fr",
    "www.spiegel.de",
    "www.nytimes.com",
    "www.ebay.com",
    "www.amazon.de",
    "www.rakuten.co.jp",
    "www.zhihu.com",
    "habr.com",
    "lenta.ru",
    "www.allrecipes.com",
    "www.openstreetmap.org",
    "gitlab.com",
    "pypi.org",
    "crates.io",
    "www.npmjs.com",
    "intranet.corp.example",
    "wiki.corp.example:8443",
    "jira.corp.example",
    "192.168.1.20:8080",
    "localhost:3000",
    "mail.example.net",
    "shop.example.com",
    "www.weather.gov",
    "www.nasa.gov",
    "www.who.int",
    "www.ikea.com",
    "www.etsy.com",
    "medium.com",
    "dev.to",
    "www.bloomberg.com",
};

const char* const kSegments[] = {
    "wiki",     "news",     "article",  "articles",  "docs",       "reference", "guide",
    "tutorial", "products", "search",   "questions", "blog",       "posts",     "category",
    "user",     "users",    "settings", "help",      "support",    "download",  "release-notes",
    "api",      "v2",       "v3",       "en-us",     "en",         "de",        "view",
    "item",     "issues",   "pull",     "commits",   "blob",       "main",      "src",
    "library",  "stdlib",   "world",    "europe",    "technology", "science",   "recipes",
    "dp",       "title",    "hotel",    "abs",       "pdf",        "browse",    "projects",
    "2023",     "2024",     "05",       "11",        "index.html", "page.php",  "details.aspx",
    "overview",
};

const char* const kWords[] = {
    "system", "design",  "weather", "forecast", "history", "python", "list",    "reverse",
    "memory", "leak",    "server",  "config",   "release", "notes",  "travel",  "guide",
    "cheap",  "flights", "best",    "pasta",    "recipe",  "garden", "climate", "report",
    "annual", "budget",  "review",  "camera",   "phone",   "laptop", "battery", "life",
    "how",    "to",      "fix",     "error",    "install", "update", "linux",   "kernel",
    "string", "vector",  "thread",  "async",    "await",   "rust",   "borrow",  "checker",
    "market", "stocks",  "rally",   "election", "results", "city",   "council", "meeting",
};

const char* const kSiteNames[] = {
    "Wikipedia",
    "Stack Overflow",
    "BBC News",
    "The Guardian",
    "GitHub",
    "Python 3 documentation",
    "cppreference.com",
    "Reddit",
    "Hacker News",
    "YouTube",
    "arXiv",
    "IMDb",
    "Booking.com",
    "Le Monde",
    "DER SPIEGEL",
    "The New York Times",
    "eBay",
    "Amazon.de",
    "Medium",
    "Jira",
};

const char* const kQueryKeys[] = {
    "q",   "id",   "page", "sort",  "lang",   "ref",     "utm_source", "utm_medium", "utm_campaign",
    "tab", "view", "s",    "start", "fbclid", "session", "filter",     "from",       "to",
};

// Non-ASCII titles and path segments, as UTF-8.
const char* const kForeignTitles[] = {
    "東京都 - Wikipedia",
    "天気予報 | 日本気象協会",
    "北京市 - 维基百科，自由的百科全书",
    "如何学习编程？ - 知乎",
    "서울특별시 - 위키백과, 우리 모두의 백과사전",
    "Москва — Википедия",
    "Новости дня | Лента.ру",
    "Как настроить сервер — Хабр",
    "Café de Flore — Wikipédia",
    "Straße und Verkehr – Übersicht",
    "Crème brûlée : la recette facile",
    "São Paulo – Wikipédia",
    "Łódź – Wikipedia, wolna encyklopedia",
    "🎉 Release party 2024",
    "Weekend plans 🏖️🌞",
    "🔥 Hot deals of the week",
    "Ramen at home 🍜 — easy recipe",
    "Ελληνικά νέα σήμερα",
    "Ürünler ve fiyatlar – Özel indirim",
    "Åsa och Øystein på Ærø",
    "ミュージック・ランキング 2024",
    "日本語の文法 — 助詞「は」と「が」",
    "Пётр Ильич Чайковский — Википедия",
    "Zürich ⇄ Genève, horaires",
};

const char* const kForeignSegments[] = {
    "東京都",    "北京市", "知乎",   "Москва", "Чайковский", "Café",         "Straße",  "Łódź",
    "São_Paulo", "Ελλάδα", "Zürich", "日本語", "서울",       "crème_brûlée", "Øystein",
};

std::string Capitalised(std::string strWord)
{
    if (!strWord.empty() && strWord[0] >= 'a' && strWord[0] <= 'z')
        strWord[0] = static_cast<char>(strWord[0] - 'a' + 'A');
    return strWord;
}

std::string Phrase(CCorpusRandom& random, std::size_t nMin, std::size_t nMax)
{
    const std::size_t nWords = nMin + random.Below(nMax - nMin + 1);
    std::string strOut = Capitalised(random.Pick(kWords));
    for (std::size_t i = 1; i < nWords; ++i)
        strOut += std::string(" ") + random.Pick(kWords);
    return strOut;
}

std::string PercentEncoded(const std::string& strUtf8)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string strOut;
    for (unsigned char c : strUtf8)
    {
        if (c < 0x80)
        {
            strOut += static_cast<char>(c);
        }
        else
        {
            strOut += '%';
            strOut += kHex[c >> 4];
            strOut += kHex[c & 0xF];
        }
    }
    return strOut;
}

std::string Segment(CCorpusRandom& random)
{
    switch (random.Below(6))
    {
    case 0:
        return std::to_string(1000 + random.Below(9000000));
    case 1: {
        // A slug, as article and question addresses end.
        std::string strSlug = random.Pick(kWords);
        const std::size_t nWords = 2 + random.Below(6);
        for (std::size_t i = 1; i < nWords; ++i)
            strSlug += std::string("-") + random.Pick(kWords);
        return strSlug;
    }
    default:
        return random.Pick(kSegments);
    }
}

// Byte lengths from 30 to 200, most of them short, as in a real history.
std::size_t AddressTarget(CCorpusRandom& random)
{
    return 30 + std::min(random.Below(171), random.Below(171));
}

std::string Address(CCorpusRandom& random, bool bForeign)
{
    // Now and then a local document whose path holds spaces, which the file stores as "%20".
    if (random.Percent(2))
        return "file:///C:/Users/Public/Documents/" + Capitalised(Phrase(random, 1, 4)) + " " +
               std::to_string(2000 + random.Below(30)) + ".pdf";

    const std::size_t nTarget = AddressTarget(random);
    std::string strUrl = random.Percent(92) ? "https://" : "http://";
    strUrl += random.Pick(kHosts);
    if (bForeign)
    {
        const std::string strSegment = random.Pick(kForeignSegments);
        strUrl += "/wiki/" + (random.Percent(50) ? strSegment : PercentEncoded(strSegment));
    }
    do
        strUrl += "/" + Segment(random);
    while (strUrl.size() + 10 < nTarget && !random.Percent(25));
    if (strUrl.size() < nTarget)
    {
        char chJoin = '?';
        while (strUrl.size() < nTarget)
        {
            strUrl += chJoin + std::string(random.Pick(kQueryKeys)) + "=" + Segment(random);
            chJoin = '&';
        }
    }
    if (random.Percent(8))
        strUrl += "#" + std::string(random.Pick(kSegments));
    if (strUrl.size() > 200)
    {
        // Cut back to a separator, never into a UTF-8 sequence.
        const std::string::size_type nCut = strUrl.find_last_of("/&?", 200);
        strUrl.resize(std::max<std::string::size_type>(nCut, 30));
    }
    return strUrl;
}

std::string Title(CCorpusRandom& random, bool bForeign)
{
    if (bForeign)
    {
        std::string strTitle = random.Pick(kForeignTitles);
        if (random.Percent(40))
            strTitle += std::string(" · ") + random.Pick(kForeignTitles);
        return strTitle;
    }
    switch (random.Below(7))
    {
    case 0:
        return Phrase(random, 1, 4) + " - Wikipedia";
    case 1:
        return Phrase(random, 4, 10) + " - Stack Overflow";
    case 2:
        return "Issue #" + std::to_string(1 + random.Below(40000)) + " · " + random.Pick(kWords) +
               "/" + random.Pick(kWords) + " · GitHub";
    case 3:
        return "Inbox (" + std::to_string(random.Below(500)) + ") - mail";
    case 4:
        return Phrase(random, 2, 6) + ": " + Phrase(random, 3, 8) + " | " + random.Pick(kSiteNames);
    default:
        return Phrase(random, 2, 9) + " | " + random.Pick(kSiteNames);
    }
}
}  // namespace

std::uint64_t CCorpusRandom::Next()
{
    // splitmix64: every seed, even 0, gives a full-period sequence.
    std::uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t CCorpusRandom::Below(std::size_t n)
{
    return static_cast<std::size_t>(Next() % n);
}

CSession MakeCorpusSession(const std::wstring& strName, int nTabs, int nWindows,
                           std::uint64_t nSeed)
{
    CCorpusRandom random(nSeed);
    CSession session(strName, 1700000000 + static_cast<std::time_t>(random.Below(50000000)));
    int nLeft = nTabs;
    for (int w = 0; w < nWindows; ++w)
    {
        // The first windows take a random share; the last one takes the rest.
        const int nWindowsLeft = nWindows - w;
        int nInWindow = nLeft;
        if (nWindowsLeft > 1)
        {
            const int nFair = std::max(1, nLeft / nWindowsLeft);
            nInWindow = nFair / 2 + static_cast<int>(random.Below(static_cast<std::size_t>(nFair)));
            nInWindow = std::max(1, std::min(nInWindow, nLeft - (nWindowsLeft - 1)));
        }
        CInstanceSet set;
        for (int t = 0; t < nInWindow; ++t)
        {
            // Exactly one tab in ten is foreign, wherever it falls.
            const bool bForeign = (nTabs - nLeft + t) % 10 == 7;
            const std::string strUrl = Address(random, bForeign);
            const std::string strTitle = Title(random, bForeign);
            CUrlItem item;
            item.SetUrl(Utf8ToWide(strUrl));
            item.SetTitle(Utf8ToWide(strTitle));
            set.AddUrlItem(item);
        }
        session.AddInstanceSet(set);
        nLeft -= nInWindow;
    }
    return session;
}

std::wstring CorpusSessionName(int nIndex)
{
    static const char* const kNames[] = {
        "Work",    "Reading list", "Research",    "Holiday plans", "Shopping",
        "Recipes", "Release 4",    "Café notes",  "Москва trip",   "東京 2024",
        "Taxes",   "Job search",   "Kernel bugs", "Music",
    };
    std::string strNumber = std::to_string(nIndex + 1);
    strNumber.insert(0, 4 - std::min<std::size_t>(4, strNumber.size()), '0');
    return Utf8ToWide(
        std::string(
            kNames[static_cast<std::size_t>(nIndex) % (sizeof(kNames) / sizeof(kNames[0]))]) +
        " " + strNumber);
}

CSession MakeCatalogueSession(int nIndex, int nTabs)
{
    const std::uint64_t nSeed = kCatalogueSeed + static_cast<std::uint64_t>(nIndex) * 7919;
    const int nWindows = 1 + static_cast<int>(CCorpusRandom(nSeed ^ 0xA5A5).Below(5));
    return MakeCorpusSession(CorpusSessionName(nIndex), nTabs, nWindows, nSeed);
}

std::wstring LargeSessionName()
{
    return L"Large session";
}

CSession MakeLargeSession(int nTabs)
{
    return MakeCorpusSession(LargeSessionName(), nTabs, 1, kCatalogueSeed - 1);
}

void SaveCorpusSession(CSession& session, const std::wstring& strFolder)
{
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.SetFolder(strFolder);
    const std::wstring strName = session.GetName();
    saver.Save(strName.c_str());
}
