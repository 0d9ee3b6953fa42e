// The capture's cost per tab against its floor: for the same tabs, the four calls that no capture
// can do without (the document request, its unmarshalling, the URL and the title). Both are timed
// in the same run, round by round in alternating order, so that the ratio shows the capture's own
// overhead: window enumeration, class names, the process snapshot, the export lookup, the model.
#include <windows.h>
#include <mshtml.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench/seconds_now.h"
#include "browser/quillmere_bho.h"
#include "demo/stand_in_browser/stand_in_browser.h"

namespace
{
const int kWindows = 5;
const int kTabsPerWindow = 4;
const int kTabs = kWindows * kTabsPerWindow;

// One capture; false unless it found every tab.
bool TimeCapture(CQuillmereBHO& bho, double& seconds)
{
    CSession session(kCurrentSessionName, std::time(nullptr));
    const double start = SecondsNow();
    bho.GetCurrentSessionUrls(session);
    seconds = SecondsNow() - start;
    if (session.GetInstanceSetsCount() != kWindows || session.GetUrlItemsCount() != kTabs)
    {
        std::fprintf(stderr, "capture found %d windows and %d tabs\n",
                     session.GetInstanceSetsCount(), session.GetUrlItemsCount());
        return false;
    }
    return true;
}

// The floor on the same tabs; false unless every tab gave its address and title.
bool TimeFloor(const std::vector<HWND>& tabs, double& seconds)
{
    const UINT nMsg = RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    int nRead = 0;
    const double start = SecondsNow();
    for (HWND hTab : tabs)
    {
        DWORD_PTR dwResult = 0;
        SendMessageTimeoutW(hTab, nMsg, 0, 0, SMTO_ABORTIFHUNG, 1000, &dwResult);
        IHTMLDocument2* pDocument = nullptr;
        if (!dwResult ||
            FAILED(ObjectFromLresult(static_cast<LRESULT>(dwResult), IID_IHTMLDocument2, 0,
                                     reinterpret_cast<void**>(&pDocument))))
            continue;
        BSTR bstrUrl = nullptr;
        BSTR bstrTitle = nullptr;
        if (SUCCEEDED(pDocument->get_URL(&bstrUrl)) && SUCCEEDED(pDocument->get_title(&bstrTitle)))
            ++nRead;
        SysFreeString(bstrUrl);
        SysFreeString(bstrTitle);
        pDocument->Release();
    }
    seconds = SecondsNow() - start;
    if (nRead != kTabs)
    {
        std::fprintf(stderr, "floor read %d tabs\n", nRead);
        return false;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int nResult = 0;
    {
        std::vector<std::wstring> args;
        for (int w = 1; w <= kWindows; ++w)
        {
            if (w > 1)
                args.push_back(L"-window");
            for (int t = 1; t <= kTabsPerWindow; ++t)
            {
                const std::wstring strName = L"w" + std::to_wstring(w) + L"t" + std::to_wstring(t);
                args.push_back(L"http://" + strName + L".example/|Page " + strName);
            }
        }
        CStandInBrowser browser;
        if (!browser.Start(args))
        {
            std::fprintf(stderr, "%ls\n", browser.Error().c_str());
            CoUninitialize();
            return 1;
        }
        std::vector<HWND> tabs;
        for (int w = 1; w <= kWindows; ++w)
        {
            const std::vector<HWND> windowTabs = browser.Tabs(w);
            tabs.insert(tabs.end(), windowTabs.begin(), windowTabs.end());
        }

        CQuillmereBHO bho;
        bho.m_hActiveAccessibilityLibraryInst = LoadLibraryW(L"OLEACC.DLL");
        double captureTotal = 0, floorTotal = 0, seconds = 0;
        // Each round's two figures were taken side by side; the median of their ratios is the
        // figure least moved by whatever else the machine does.
        std::vector<double> ratios;
        // The first use of the marshalling costs extra in both; it is left out.
        bool bOk = TimeFloor(tabs, seconds) && TimeCapture(bho, seconds);
        for (int r = 0; bOk && r < nRounds; ++r)
        {
            double captureSeconds = 0, floorSeconds = 0;
            if (r % 2 == 0)
                bOk = TimeCapture(bho, captureSeconds) && TimeFloor(tabs, floorSeconds);
            else
                bOk = TimeFloor(tabs, floorSeconds) && TimeCapture(bho, captureSeconds);
            captureTotal += captureSeconds;
            floorTotal += floorSeconds;
            if (bOk)
                ratios.push_back(captureSeconds / floorSeconds);
        }
        if (!bOk)
            nResult = 1;
        else
        {
            const double captureMs = captureTotal * 1000 / (nRounds * kTabs);
            const double floorMs = floorTotal * 1000 / (nRounds * kTabs);
            std::printf("%d windows x %d tabs, %d rounds\n", kWindows, kTabsPerWindow, nRounds);
            std::sort(ratios.begin(), ratios.end());
            const double median =
                ratios.size() % 2 ? ratios[ratios.size() / 2]
                                  : (ratios[ratios.size() / 2 - 1] + ratios[ratios.size() / 2]) / 2;
            std::printf("capture  %8.2f ms per tab\n", captureMs);
            std::printf("floor    %8.2f ms per tab\n", floorMs);
            std::printf("ratio    %8.3f of the totals, %.3f median of the rounds (%.3f to %.3f)\n",
                        captureMs / floorMs, median, ratios.front(), ratios.back());
        }
    }
    CoUninitialize();
    return nResult;
}
