// The stand-in browser: plays the browser's part towards the add-on in tests and the demo. See
// stand_in_protocol.h for what it does and how it is driven.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "demo/stand_in_browser/browser_app.h"
#include "demo/stand_in_browser/command_line.h"

namespace
{
std::vector<std::wstring> Arguments()
{
    std::vector<std::wstring> args;
    int nArgs = 0;
    LPWSTR* ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (!ppArgs)
        return args;
    for (int i = 1; i < nArgs; ++i)
        args.emplace_back(ppArgs[i]);
    LocalFree(ppArgs);
    return args;
}

int Fail(const std::wstring& strError)
{
    // Nobody reads a window's program's output under a test; the exit code says it failed.
    OutputDebugStringW((L"iexplore: " + strError + L"\n").c_str());
    return 1;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CCommandLine commandLine;
    std::wstring strError;
    try
    {
        if (!commandLine.Parse(Arguments(), strError))
            return Fail(strError);
    }
    catch (const std::exception&)
    {
        return Fail(L"malformed command line");
    }

    if (FAILED(OleInitialize(nullptr)))
        return Fail(L"OleInitialize failed");
    int nResult = 0;
    if (commandLine.m_bTabHost)
        nResult = RunTabHost(commandLine);
    else
    {
        CBrowserApp app(commandLine);
        nResult = app.Run();
    }
    OleUninitialize();
    return nResult;
}
