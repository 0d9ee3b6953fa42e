// The program itself: its arguments as the system passes them (UTF-16 on Windows, UTF-8
// elsewhere), its exit status, and results and messages on their own streams.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/quillmere_command.h"
#include "session/os_operations.h"
#include "session/text_conversion.h"
#include "tests/native/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace
{
struct CProgramRun
{
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

#ifdef _WIN32
std::wstring QuoteArgument(const std::wstring& strArg)
{
    // Backslashes only need doubling before a quote; test arguments hold none there.
    std::wstring strOut = L"\"";
    for (wchar_t c : strArg)
        strOut += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
    return strOut + L"\"";
}

HANDLE CreateInheritable(const std::wstring& strPath, DWORD nAccess, DWORD nDisposition)
{
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), nullptr, TRUE};
    return ::CreateFileW(strPath.c_str(), nAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, nDisposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// bFailingOutput: standard output refuses every write.
CProgramRun RunProgram(const std::vector<std::wstring>& args, const CTempFolder& folder, bool bFailingOutput = false)
{
    std::wstring strProgram = Utf8ToWide(QLMR_QUILLMERE_PROGRAM);
    for (wchar_t& c : strProgram)
        c = c == L'/' ? L'\\' : c;
    std::wstring strCommandLine = QuoteArgument(strProgram);
    for (const std::wstring& strArg : args)
        strCommandLine += L" " + QuoteArgument(strArg);

    CProgramRun run;
    WriteBytes(folder.File(L"stdin"), "");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = CreateInheritable(folder.File(L"stdin"), GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput =
        CreateInheritable(folder.File(L"stdout"), bFailingOutput ? GENERIC_READ : GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = CreateInheritable(folder.File(L"stderr"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    if (::CreateProcessW(nullptr, &strCommandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                         &startup, &process))
    {
        ::WaitForSingleObject(process.hProcess, 30000);
        DWORD nExit = 0;
        ::GetExitCodeProcess(process.hProcess, &nExit);
        run.nExit = static_cast<int>(nExit);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(startup.hStdInput);
    ::CloseHandle(startup.hStdOutput);
    ::CloseHandle(startup.hStdError);
    run.strOut = ReadBytes(folder.File(L"stdout"));
    run.strErr = ReadBytes(folder.File(L"stderr"));
    return run;
}
#else
CProgramRun RunProgram(const std::vector<std::wstring>& args, const CTempFolder& folder, bool bFailingOutput = false)
{
    std::vector<std::string> bytes = {QLMR_QUILLMERE_PROGRAM};
    for (const std::wstring& strArg : args)
        bytes.push_back(WideToUtf8(strArg));
    std::vector<char*> argv;
    for (std::string& strArg : bytes)
        argv.push_back(&strArg[0]);
    argv.push_back(nullptr);
    const std::string strOut = WideToUtf8(folder.File(L"stdout"));
    const std::string strErr = WideToUtf8(folder.File(L"stderr"));

    CProgramRun run;
    const pid_t pid = fork();
    if (pid == 0)
    {
        const int in = open("/dev/null", O_RDONLY);
        const int out = bFailingOutput ? open("/dev/full", O_WRONLY) : open(strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int nStatus = 0;
    if (pid > 0 && waitpid(pid, &nStatus, 0) == pid && WIFEXITED(nStatus))
        run.nExit = WEXITSTATUS(nStatus);
    run.strOut = ReadBytes(folder.File(L"stdout"));
    run.strErr = ReadBytes(folder.File(L"stderr"));
    return run;
}
#endif

TEST(Program, TakesNonAsciiArgumentsAndKeepsItsStreamsApart)
{
    CTempFolder work;
    CTempFolder sessions;
    const std::wstring strName = L"Über 会话 ☕";
    WriteBytes(work.File(L"list"), "http://example.com/ | Ä title\n");
    const std::vector<std::wstring> import = {L"import", L"--from", L"urls", work.File(L"list"), L"--name", strName,
                                              L"--folder", sessions.Path()};
    const CProgramRun imported = RunProgram(import, work);
    ASSERT_EQ(imported.nExit, kExitSuccess) << imported.strErr;
    EXPECT_EQ(imported.strErr, "");
    EXPECT_TRUE(SystemOs().PathExists(sessions.File(strName)));

    const CProgramRun list = RunProgram({L"--folder", sessions.Path(), L"list", L"--json"}, work);
    ASSERT_EQ(list.nExit, kExitSuccess) << list.strErr;
    EXPECT_NE(list.strOut.find("\"name\": \"" + WideToUtf8(strName) + "\""), std::string::npos) << list.strOut;
    // Output is the same bytes on every system: no line end is rewritten.
    EXPECT_EQ(list.strOut.find('\r'), std::string::npos);

    // find's exit status is grep's, also when its output cannot be written.
    const CProgramRun found = RunProgram({L"--folder", sessions.Path(), L"find", L"ä TITLE"}, work);
    EXPECT_EQ(found.nExit, 0) << found.strErr;
    EXPECT_EQ(found.strOut, WideToUtf8(strName) + "\t1\tÄ title\thttp://example.com/\n");
    EXPECT_EQ(RunProgram({L"--folder", sessions.Path(), L"find", L"Über"}, work).nExit, kExitNothingFound);
    EXPECT_EQ(RunProgram({L"--folder", sessions.Path(), L"find", L"ä"}, work, true).nExit, kExitFindFailure);

    const CProgramRun failed = RunProgram({L"check", work.File(L"list")}, work);
    EXPECT_EQ(failed.nExit, kExitFailure);
    EXPECT_NE(failed.strOut.find(": CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader\n"),
              std::string::npos)
        << failed.strOut;

    const CProgramRun usage = RunProgram({L"export"}, work);
    EXPECT_EQ(usage.nExit, kExitUsage);
    EXPECT_EQ(usage.strOut, "");
    EXPECT_NE(usage.strErr.find("quillmere: export needs at least one file"), std::string::npos) << usage.strErr;

    // A failed write of the results is a failure, said so; a session already saved stays a success.
    std::vector<std::wstring> replace = import;
    replace.push_back(L"--force");
    const CProgramRun confirmed = RunProgram(replace, work, true);
    EXPECT_EQ(confirmed.nExit, kExitSuccess) << confirmed.strErr;
    EXPECT_NE(confirmed.strErr.find("quillmere: done, but the confirmation cannot be written to standard output: "),
              std::string::npos)
        << confirmed.strErr;
    const CProgramRun unlisted = RunProgram({L"--folder", sessions.Path(), L"list"}, work, true);
    EXPECT_EQ(unlisted.nExit, kExitFailure);
    EXPECT_NE(unlisted.strErr.find("quillmere: standard output cannot be written: "), std::string::npos)
        << unlisted.strErr;
}
}  // namespace
