// quillmere-example-sessions DIR: writes a few saved sessions into DIR with the product's own
// writer, for the demo and for trying the window by hand.
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <string>
#include <utility>

#include "base/exceptions.h"
#include "session/manual_saved_instance_saver.h"
#include "session/text_conversion.h"

namespace
{
using CTab = std::pair<const wchar_t*, const wchar_t*>;  // title, address

CInstanceSet Window(std::initializer_list<CTab> tabs)
{
    CInstanceSet window;
    for (const CTab& tab : tabs)
        window.AddUrlItem(CUrlItem(tab.second, tab.first));
    return window;
}

void Write(const std::wstring& strFolder, const wchar_t* pszName, std::initializer_list<CInstanceSet> windows)
{
    CSession session(kCurrentSessionName, std::time(nullptr));
    for (const CInstanceSet& window : windows)
        session.AddInstanceSet(window);
    CManualSavedInstanceSaver saver;
    saver.SetFolder(strFolder);
    saver.SetSession(&session);
    saver.Save(pszName);
    std::printf("%s\n", WideToUtf8(saver.GetFilePath()).c_str());
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: quillmere-example-sessions DIR\n");
        return 2;
    }
    try
    {
        const std::wstring strFolder = Utf8ToWide(argv[1]);
        Write(strFolder, L"Morning reading",
              {Window({{L"Today's news", L"https://news.example/today"},
                       {L"Weather", L"https://weather.example/"},
                       {L"Crossword", L"https://puzzles.example/crossword"}})});
        Write(strFolder, L"Project work",
              {Window({{L"Tracker", L"https://tracker.example/board"}, {L"Design notes", L"https://wiki.example/design"}}),
               Window({{L"Build status", L"https://ci.example/"},
                       {L"Reference", L"https://docs.example/api"},
                       {L"Review 17", L"https://review.example/17"},
                       {L"Review 18", L"https://review.example/18"}})});
        Write(strFolder, L"Travel plans",
              {Window({{L"Trains", L"https://rail.example/timetable"}}),
               Window({{L"Hotel", L"https://stay.example/booking/42"}, {L"Map", L"https://maps.example/old-town"}}),
               Window({{L"Museum", L"https://museum.example/visit"}})});
        return 0;
    }
    catch (const CException& e)
    {
        std::fprintf(stderr, "example sessions: %s\n", WideToUtf8(e.GetErrorMessage()).c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "example sessions: %s\n", e.what());
    }
    return 1;
}
