// Writes the example session (two windows, three tabs) into the session folder and prints the
// catalogue of that folder, as the session manager window will list it.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "session/manual_saved_instance_saver.h"
#include "session/os_operations.h"
#include "session/saved_session_catalogue.h"
#include "session/session_folder.h"
#include "session/text_conversion.h"

namespace
{
std::string Narrow(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

// The file as numbered lines, line ends shown as the bytes they are.
void PrintLines(const std::wstring& strPath)
{
    std::FILE* pFile = SystemOs().OpenFileForReading(strPath);
    if (!pFile)
        return;
    int nLine = 1;
    std::printf("%4d  ", nLine);
    for (int c; (c = std::fgetc(pFile)) != EOF;)
    {
        if (c == '\r')
            std::printf("\\r");
        else if (c == '\n')
            std::printf("\\n\n%4d  ", ++nLine);
        else
            std::putchar(c);
    }
    std::printf("\n\n");
    std::fclose(pFile);
}

std::string LocalTime(std::time_t time)
{
    char szText[128];
    const std::tm* pLocal = std::localtime(&time);
    if (!pLocal || !std::strftime(szText, sizeof(szText), "%Y-%m-%d, %H:%M", pLocal))
        return std::string();
    return szText;
}
}  // namespace

int main()
{
    try
    {
        CSession session(kCurrentSessionName, std::time(nullptr));
        CInstanceSet first;
        first.AddUrlItem(CUrlItem(L"about:blank", nullptr));
        first.AddUrlItem(CUrlItem(L"file:///C:/My Docs/a.htm", L"Notes"));
        CInstanceSet second;
        second.AddUrlItem(CUrlItem(L"about:blank", L""));
        session.AddInstanceSet(first);
        session.AddInstanceSet(second);

        CManualSavedInstanceSaver saver;
        saver.SetSession(&session);
        saver.Save(L"Example");
        std::printf("Saved %s:\n", Narrow(saver.GetFilePath()).c_str());
        PrintLines(saver.GetFilePath());

        CSessionFolderLocator locator;
        std::vector<CSession> sessions;
        int nFailures = 0;
        LoadSavedSessions(sessions, locator, [&](const CLoadFailure& failure) {
            ++nFailures;
            std::fprintf(stderr, "Unable to load '%s': %s\n", Narrow(failure.strFileName).c_str(),
                         Narrow(failure.strReason).c_str());
            return true;
        });

        std::printf("%-24s %-18s %7s %5s\n", "Name", "Date", "Windows", "Tabs");
        for (const CSession& saved : sessions)
        {
            std::printf("%-24s %-18s %7d %5d\n", Narrow(saved.GetName()).c_str(), LocalTime(saved.GetTime()).c_str(),
                        saved.GetInstanceSetsCount(), saved.GetUrlItemsCount());
        }
        return nFailures == 0 ? 0 : 1;
    }
    catch (const CException& e)
    {
        std::fprintf(stderr, "demo: %s\n", Narrow(e.GetErrorMessage()).c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "demo: %s\n", e.what());
    }
    return 1;
}
