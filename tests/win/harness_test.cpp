// What every other window test leans on: a message box is answered and recorded, one nobody
// expected fails the test, and a hung case is ended by the watchdog and named.
#include <windows.h>

#include "tests/support/harness/message_box_responder.h"
#include "tests/support/harness/watchdog.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MessageBoxResponder, AnswersEachBoxInTurnAndRecordsWhatItShowed)
{
    HWND hOwner = CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                  300, 200, nullptr, nullptr, nullptr, nullptr);
    CMessageBoxResponder responder;
    responder.Answer(IDNO);
    responder.Answer(IDCANCEL);

    EXPECT_EQ(IDNO, MessageBoxW(hOwner, L"Delete the session?\rIt cannot be undone.", L"Caption",
                                MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDCANCEL, MessageBoxW(nullptr, L"Second", L"Other", MB_OKCANCEL | MB_ICONSTOP));
    DestroyWindow(hOwner);

    const auto& boxes = responder.Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ(hOwner, boxes[0].hOwner);
    EXPECT_EQ(L"Caption", boxes[0].strCaption);
    EXPECT_EQ(L"Delete the session?\rIt cannot be undone.", boxes[0].strText);
    EXPECT_EQ((std::vector<std::wstring>{L"&Yes", L"&No"}), boxes[0].buttons);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), boxes[0].buttonIds);
    EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), boxes[0].nIcon);
    EXPECT_EQ(IDNO, boxes[0].nPressed);
    EXPECT_EQ(nullptr, boxes[1].hOwner);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes[1].nIcon);
    EXPECT_EQ(IDCANCEL, boxes[1].nPressed);
}

TEST(MessageBoxResponder, BoxNobodyExpectedOrAnsweredWronglyFailsTheTestAndIsCancelled)
{
    // No responder of the test's own: main() keeps one that expects nothing.
    int nResult = 0;
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Forgotten", L"Stray", MB_YESNO),
                            "\"Stray\": \"Forgotten\"");
    EXPECT_EQ(IDNO, nResult);

    // A box ends with any id it is sent: an OK box must not return Yes.
    CMessageBoxResponder responder;
    responder.Answer(IDYES);
    EXPECT_NONFATAL_FAILURE(nResult = MessageBoxW(nullptr, L"Only OK", L"Wrong", MB_OK),
                            "IDYES is not a button");
    EXPECT_EQ(IDOK, nResult);

    EXPECT_NONFATAL_FAILURE(
        {
            CMessageBoxResponder unused;
            unused.Answer(IDOK);
        },
        "never used");
}

// Run only in a child process, by the test below.
TEST(Watchdog, DISABLED_Hangs)
{
    CreateWindowExW(0, L"STATIC", L"Stuck Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300,
                    200, nullptr, nullptr, nullptr, nullptr);
    Sleep(INFINITE);
}

TEST(Watchdog, EndsAHungCaseAndNamesIt)
{
    wchar_t szProgram[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    std::wstring strCommand = L"\"" + std::wstring(szProgram) +
                              L"\" --gtest_filter=Watchdog.DISABLED_Hangs "
                              L"--gtest_also_run_disabled_tests";
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    const std::wstring strLog = std::wstring(szTemp) + L"quillmere_watchdog_child.log";

    // A file, not a pipe: Wine helpers the child starts would hold a pipe open.
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hLog = CreateFileW(strLog.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    ASSERT_NE(hLog, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = hLog;
    startup.hStdError = hLog;
    PROCESS_INFORMATION process = {};
    SetEnvironmentVariableW(L"QLMR_TEST_CASE_SECONDS", L"1");
    const BOOL bStarted = CreateProcessW(szProgram, &strCommand[0], nullptr, nullptr, TRUE, 0,
                                         nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"QLMR_TEST_CASE_SECONDS", nullptr);
    CloseHandle(hLog);
    ASSERT_TRUE(bStarted) << GetLastError();

    const DWORD nWait = WaitForSingleObject(process.hProcess, 20000);
    if (nWait != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    DWORD nExitCode = 0;
    GetExitCodeProcess(process.hProcess, &nExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::string strOutput;
    HANDLE hRead = CreateFileW(strLog.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (hRead != INVALID_HANDLE_VALUE)
    {
        strOutput.resize(GetFileSize(hRead, nullptr));
        DWORD nRead = 0;
        ReadFile(hRead, &strOutput[0], static_cast<DWORD>(strOutput.size()), &nRead, nullptr);
        strOutput.resize(nRead);
        CloseHandle(hRead);
    }
    DeleteFileW(strLog.c_str());

    ASSERT_EQ(nWait, WAIT_OBJECT_0) << "the watchdog did not end the child:\n" << strOutput;
    EXPECT_EQ(CWatchdog::kExitCode, nExitCode);
    EXPECT_NE(std::string::npos,
              strOutput.find("Watchdog.DISABLED_Hangs: watchdog: test case took too long"))
        << strOutput;
    EXPECT_NE(std::string::npos, strOutput.find("open window Static \"Stuck Window\""))
        << strOutput;
}
