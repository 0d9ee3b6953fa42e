#include "tests/win/browser/browser_test_support.h"

#include <ctime>

#include "demo/stand_in_browser/stand_in_browser.h"

std::vector<CWindowText> SessionText(const CSession& session)
{
    std::vector<CWindowText> windows;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        const CInstanceSet* pSet = session.GetInstanceSet(i);
        CWindowText window;
        for (const CUrlItem& item : pSet->GetUrlItems())
            window.push_back(item.GetUrl() + L" | " + item.GetTitle());
        windows.push_back(window);
    }
    return windows;
}

CSession* NewSession(const std::vector<std::vector<std::wstring>>& windows)
{
    auto* pSession = new CSession(L"Opened", std::time(nullptr));
    for (const std::vector<std::wstring>& urls : windows)
    {
        CInstanceSet set;
        for (const std::wstring& strUrl : urls)
            set.AddUrlItem(CUrlItem(strUrl.c_str(), (L"Title of " + strUrl).c_str()));
        pSession->AddInstanceSet(set);
    }
    return pSession;
}

void CBrowserTest::TearDown()
{
    EndBrowserProcesses();
}
