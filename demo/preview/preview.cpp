// quillmere-preview: the session manager window on its own, with a current session from a file
// instead of the browser, for screenshots and for trying the window by hand.
//
//   quillmere-preview [--json FILE | --session FILE] [--folder DIR] [--screenshots DIR]
//
//   --json FILE         the current session from a small JSON file (see current_session_source.h)
//   --session FILE      the current session from a session file
//   --folder DIR        the window works on the session files of DIR for this run (see
//                       preview_folder.h); without it, on the profile's own session folder
//   --screenshots DIR   takes the pictures (Sessions page, About page, name dialog, finding)
//                       into DIR and closes the window, without waiting for anyone
//
// Paths may be Windows paths or Unix paths (taken on drive Z:, as Wine maps them). Without a
// current session file a built-in example is used. The exit code is 0 when the window ran (and
// every picture was taken), 1 after a failure, 2 for a wrong command line.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "base/exceptions.h"
#include "demo/preview/current_session_source.h"
#include "demo/preview/preview_folder.h"
#include "demo/preview/screenshot_tour.h"
#include "resources/resource.h"
#include "session/text_conversion.h"
#include "ui/session_manager_dialog.h"

namespace
{
struct COptions
{
    std::wstring strJson;
    std::wstring strSessionFile;
    std::wstring strFolder;
    std::wstring strScreenshots;
};

std::string Narrow(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: quillmere-preview [--json FILE | --session FILE] [--folder DIR] [--screenshots DIR]\n");
    return 2;
}

std::optional<COptions> ParseArguments(int argc, wchar_t** argv)
{
    COptions options;
    for (int i = 1; i < argc; ++i)
    {
        const std::wstring strArg = argv[i];
        std::wstring* pstrValue = nullptr;
        if (strArg == L"--json")
            pstrValue = &options.strJson;
        else if (strArg == L"--session")
            pstrValue = &options.strSessionFile;
        else if (strArg == L"--folder")
            pstrValue = &options.strFolder;
        else if (strArg == L"--screenshots")
            pstrValue = &options.strScreenshots;
        if (!pstrValue || i + 1 >= argc || !pstrValue->empty())
            return std::nullopt;
        *pstrValue = ToWindowsPath(argv[++i]);
    }
    if (!options.strJson.empty() && !options.strSessionFile.empty())
        return std::nullopt;
    return options;
}

void PrintSession(const CSession& session)
{
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        const CInstanceSet* pWindow = session.GetInstanceSet(i);
        std::printf("  window %d\n", i + 1);
        for (int j = 0; j < pWindow->GetUrlItemsCount(); ++j)
        {
            const CUrlItem* pTab = pWindow->GetUrlItem(j);
            std::printf("    %s  %s\n", Narrow(pTab->GetTitle()).c_str(), Narrow(pTab->GetUrl()).c_str());
        }
    }
}

int Run(const COptions& options)
{
    CSession current = !options.strJson.empty()          ? ReadCurrentSessionFromJson(options.strJson)
                       : !options.strSessionFile.empty() ? ReadCurrentSessionFromSessionFile(options.strSessionFile)
                                                         : ExampleCurrentSession();

    std::unique_ptr<CPreviewFolder> pFolder;
    if (!options.strFolder.empty())
    {
        pFolder = std::make_unique<CPreviewFolder>(options.strFolder);
        std::printf("preview: %d session file(s) of %s in %s for this run\n", pFolder->CopiedFiles(),
                    Narrow(options.strFolder).c_str(), Narrow(pFolder->SessionFolder()).c_str());
    }

    CSessionManagerDialog dialog;
    dialog.SetCurrentSession(&current);
    std::unique_ptr<CScreenshotTour> pTour;
    if (!options.strScreenshots.empty())
    {
        ::CreateDirectoryW(options.strScreenshots.c_str(), nullptr);
        pTour = std::make_unique<CScreenshotTour>(dialog, options.strScreenshots);
        pTour->Start();
    }
    std::fflush(stdout);

    const INT_PTR nResult = dialog.DoModal();
    std::printf("preview: the window ended with %d\n", static_cast<int>(nResult));
    if (nResult == IDC_SESSIONS_LOAD && dialog.GetSessionsTabPage())
    {
        if (const CSession* pTicked = dialog.GetSessionsTabPage()->GetUserSelectedSessionNodes())
        {
            std::printf("preview: Load would open:\n");
            PrintSession(*pTicked);
        }
    }
    if (pTour && !pTour->Succeeded())
    {
        std::fprintf(stderr, "preview: %s\n",
                     Narrow(pTour->Failure().empty() ? L"the window closed before every picture was taken"
                                                     : pTour->Failure())
                         .c_str());
        return 1;
    }
    return nResult == -1 ? 1 : 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // A crash ends the program instead of opening a crash dialog that nobody would close.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    const std::optional<COptions> options = ParseArguments(argc, argv);
    if (!options)
        return Usage();

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
    // The browser's user-interface thread is a single-threaded apartment; so is the preview's.
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    int nExit = 1;
    try
    {
        nExit = Run(*options);
    }
    catch (const CException& e)
    {
        std::fprintf(stderr, "preview: %s\n", Narrow(e.GetErrorMessage()).c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "preview: %s\n", e.what());
    }
    if (SUCCEEDED(hr))
        ::CoUninitialize();
    return nExit;
}
