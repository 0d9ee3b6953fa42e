// The command against what a hostile folder or a full disk puts in its way: pipes and devices
// are refused without waiting, and an export that cannot be written leaves the previous one.
#include <gtest/gtest.h>

#include "session/text_conversion.h"
#include "tests/cli/cli_test_support.h"
#include "tests/native/fake_os.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace
{
#ifndef _WIN32
TEST(PipesAndDevices, AreRefusedWithoutWaiting)
{
    CTempFolder folder;
    const std::wstring strPipe = folder.File(L"pipe");
    ASSERT_EQ(mkfifo(WideToUtf8(strPipe).c_str(), 0600), 0);
    ASSERT_EQ(RunCommand({L"import", L"--from", L"urls", L"-", L"--name", L"good", L"--folder", folder.Path()}, L"",
                         "http://a/\n")
                  .nExit,
              0);
    const CRun list = RunCommand({L"--folder", folder.Path(), L"list"});
    EXPECT_EQ(list.nExit, 0);
    EXPECT_EQ(list.strOut.rfind("good\t", 0), 0u) << list.strOut;
    EXPECT_EQ(list.strErr, "");

    const std::string strRefused = ": cannot be opened: not a regular file";
    const CRun check = RunCommand({L"check", strPipe});
    EXPECT_EQ(check.nExit, 1);
    EXPECT_EQ(check.strOut, WideToUtf8(strPipe) + strRefused + "\n");
    for (const std::vector<std::wstring>& args :
         {std::vector<std::wstring>{L"show", strPipe}, {L"export", strPipe, L"--format", L"urls"},
          {L"import", L"--from", L"urls", strPipe, L"--name", L"p", L"--folder", folder.Path()},
          {L"import", L"--from", L"json", L"/dev/zero", L"--name", L"z", L"--folder", folder.Path()}})
    {
        const CRun run = RunCommand(args);
        EXPECT_EQ(run.nExit, 1) << WideToUtf8(args[0]);
        EXPECT_NE(run.strErr.find(strRefused), std::string::npos) << run.strErr;
    }
}
#endif

// The command on a system whose failures the test chooses (root reads any file, and a full disk
// cannot be made here), with the session "n" saved in its folder C:\s.
class FailingSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        os.MakeFolders(L"C:\\s");
        os.Write(L"C:\\s\\in.txt", "http://a/ | A\n");
        ASSERT_EQ(RunQuillmere({L"import", L"--from", L"urls", L"C:\\s\\in.txt", L"--name", L"n"}, fake), 0);
    }

    // Forward slashes, which separate folders on every system.
    int Export() { return RunQuillmere({L"export", L"C:\\s\\n", L"--format", L"urls", L"-o", L"C:/s/out.txt"}, fake); }

    CFakeWindowsOs os;
    std::ostringstream out, err;
    std::istringstream in;
    CCommandContext fake{out, err, in, os, [] { return std::wstring(L"C:\\s"); },
                         [](const std::wstring& strPath) { return strPath; }};
};

TEST_F(FailingSystemTest, AFileThatCannotBeReadIsNamedAsSuchNotAsDamaged)
{
    os.m_strOpenRefusal = "Permission denied";
    EXPECT_EQ(RunQuillmere({L"list"}, fake), 0);
    EXPECT_NE(err.str().find("\\n: cannot be read: Permission denied\n"), std::string::npos) << err.str();
    EXPECT_EQ(RunQuillmere({L"show", L"C:\\s\\n"}, fake), 1);
    EXPECT_NE(err.str().find("cannot be opened: Permission denied"), std::string::npos) << err.str();
}

TEST_F(FailingSystemTest, AnExportThatCannotBeWrittenLeavesThePreviousOneWhole)
{
    os.Write(L"C:\\s\\out.txt", "previous export");
    os.m_bFailWrite = true;
    EXPECT_EQ(Export(), 1);
    EXPECT_NE(err.str().find("out.txt: cannot be written: cannot write the session file"), std::string::npos)
        << err.str();
    os.m_bFailWrite = false;
    os.m_nFailPublish = 28;  // no space left
    EXPECT_EQ(Export(), 1);
    os.m_nFailPublish = 0;
    EXPECT_EQ(os.Read(L"C:\\s\\out.txt"), "previous export");
    EXPECT_EQ(os.Names(L"C:\\s"), (std::vector<std::wstring>{L"in.txt", L"n", L"out.txt"}));
    EXPECT_EQ(Export(), 0);
    EXPECT_EQ(os.Read(L"C:\\s\\out.txt"), "http://a/\n");
    EXPECT_EQ(os.m_strTempFolder, L"C:/s/");  // beside the export: the move stays on its volume
}
}  // namespace
