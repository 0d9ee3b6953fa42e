// Saves that meet other writers, readers and leftovers in the session folder, on the real file
// system: no save replaces a file it did not mean to, no temporary file is written through a
// link or left for good, and no reader sees half a session.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "session/manual_saved_instance_saver.h"
#include "session/saved_session_catalogue.h"
#include "session/text_conversion.h"
#include "tests/native/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace
{
// The outcome of one save: "" or the exception's text.
std::string SaveInto(const std::wstring& strFolder, CSession session, const std::wstring& strName, bool bReplace)
{
    CManualSavedInstanceSaver saver;
    saver.SetFolder(strFolder);
    saver.SetSession(&session);
    saver.SetReplaceExisting(bReplace);
    try
    {
        saver.Save(strName.c_str());
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "";
}

std::wstring LoadDescribed(const std::wstring& strPath)
{
    return Describe(LoadSessionFile(strPath, SystemOs()));
}

// A file of the temporary files' pattern held open as a live writer holds its own.
class CHeldFile
{
public:
    explicit CHeldFile(const std::wstring& strPath)
    {
#ifdef _WIN32
        m_h = CreateFileW(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, 0, nullptr);
        EXPECT_NE(m_h, INVALID_HANDLE_VALUE);
#else
        m_fd = open(WideToUtf8(strPath).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(flock(m_fd, LOCK_EX | LOCK_NB), 0);
#endif
    }
    ~CHeldFile()
    {
#ifdef _WIN32
        CloseHandle(m_h);
#else
        close(m_fd);
#endif
    }

private:
#ifdef _WIN32
    HANDLE m_h;
#else
    int m_fd;
#endif
};

std::uint64_t g_nNextName = 0;
std::uint64_t FixedNames()
{
    return g_nNextName++ / 2;  // every name twice: a collision, then the next one
}
}  // namespace

TEST(ConcurrentSave, KeepExistingRefusesATakenNameAndReplaceReplaces)
{
    CTempFolder folder;
    const CSession first = MakeSession(L"a", {{{L"http://first/", L"First"}}});
    const CSession second = MakeSession(L"b", {{{L"http://second/", L"Second"}}});
    ASSERT_EQ(SaveInto(folder.Path(), first, L"n", false), "");
    EXPECT_EQ(SaveInto(folder.Path(), second, L"n", false), "CManualSavedInstanceSaver::Save() - FileExists");
    EXPECT_EQ(LoadDescribed(folder.File(L"n")), Describe(first));
    ASSERT_EQ(SaveInto(folder.Path(), second, L"n", true), "");
    EXPECT_EQ(LoadDescribed(folder.File(L"n")), Describe(second));
    EXPECT_EQ(FolderNames(folder.Path()), std::vector<std::wstring>{L"n"});

#ifndef _WIN32
    // The temporary name is short and fixed, so every name the system allows can be saved.
    const std::wstring strLongest(255, L'x');
    EXPECT_EQ(SaveInto(folder.Path(), first, strLongest, false), "");
    EXPECT_NE(SaveInto(folder.Path(), first, strLongest + L"x", false).find("File name too long"), std::string::npos);
#endif
}

TEST(ConcurrentSave, OfTwoSimultaneousSavesOfOneNameExactlyOneWins)
{
    CTempFolder folder;
    for (int nPair = 0; nPair < 50; ++nPair)
    {
        const std::wstring strName = L"n" + std::to_wstring(nPair);
        const CSession sessions[2] = {MakeSession(L"a", {{{L"http://a/", L"A"}}}),
                                      MakeSession(L"b", {{{L"http://b/", L"B"}}, {{L"http://b2/", L"B2"}}})};
        std::string results[2];
        std::atomic<int> nWaiting{2};
        std::thread threads[2];
        for (int i = 0; i < 2; ++i)
            threads[i] = std::thread([&, i] {
                for (--nWaiting; nWaiting > 0;)
                    std::this_thread::yield();
                results[i] = SaveInto(folder.Path(), sessions[i], strName, false);
            });
        for (std::thread& t : threads)
            t.join();
        const int nWinner = results[0].empty() ? 0 : 1;
        ASSERT_EQ(results[nWinner], "") << nPair;
        ASSERT_EQ(results[1 - nWinner], "CManualSavedInstanceSaver::Save() - FileExists") << nPair;
        ASSERT_EQ(LoadDescribed(folder.File(strName)), Describe(sessions[nWinner])) << nPair;
    }
    EXPECT_EQ(FolderNames(folder.Path()).size(), 50u);  // no temporary file left
}

TEST(ConcurrentSave, ReadersSeeTheOldOrTheNewSessionWholeWhileSavesReplaceIt)
{
    CTempFolder folder;
    const CSession sessions[2] = {MakeSession(L"a", {{{L"http://a/", L"A"}}}),
                                  MakeSession(L"b", {{{L"http://b/", L"B"}, {L"http://b/2", L"B2"}}})};
    ASSERT_EQ(SaveInto(folder.Path(), sessions[0], L"s", true), "");
    std::atomic<bool> bDone{false};
    std::vector<std::string> failures;
    int nListings = 0;
    std::thread reader([&] {
        while (!bDone)
        {
            std::vector<CSession> listed;
            LoadSessionsFromFolder(listed, folder.Path(), SystemOs(), [&](const CLoadFailure& failure) {
                failures.push_back(WideToUtf8(failure.strFileName + L": " + failure.strReason));
                return true;
            });
            if (listed.size() != 1 ||
                (Describe(listed[0]) != Describe(sessions[0]) && Describe(listed[0]) != Describe(sessions[1])))
                failures.push_back("listed " + std::to_string(listed.size()) + " sessions");
            ++nListings;
        }
    });
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(SaveInto(folder.Path(), sessions[i % 2], L"s", true), "") << i;
    bDone = true;
    reader.join();
    EXPECT_TRUE(failures.empty()) << failures.front() << " and " << failures.size() - 1 << " more";
    EXPECT_GT(nListings, 0);

    // A reader that keeps the file open a while: the replace waits for it rather than failing,
    // and the reader reads the file it opened to its end.
    const std::string strOld = ReadBytes(folder.File(L"s"));
    std::string strRead;
    std::atomic<bool> bOpened{false};
    std::thread holder([&] {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(SystemOs().OpenFileForReading(folder.File(L"s")),
                                                             std::fclose);
        bOpened = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        char buffer[4096];
        for (std::size_t n; file && (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
            strRead.append(buffer, n);
    });
    while (!bOpened)
        std::this_thread::yield();
    EXPECT_EQ(SaveInto(folder.Path(), sessions[0], L"s", true), "");
    holder.join();
    EXPECT_EQ(strRead, strOld);
    EXPECT_EQ(LoadDescribed(folder.File(L"s")), Describe(sessions[0]));
}

TEST(ConcurrentSave, LeftoverTemporaryFilesGoAndNothingElseDoes)
{
    CTempFolder folder;
    const std::wstring strLeftover = folder.File(L".qlmr-00000000000000aa.tmp");
    const std::wstring strHeld = folder.File(L".qlmr-00000000000000bb.tmp");
    WriteBytes(strLeftover, "half a sess");
    CHeldFile held(strHeld);
    const std::vector<std::wstring> others = {L".qlmr-00000000000000zz.tmp", L"x.42.tmp", L".qlmr-0000000000000000.tmp.x",
                                              L"keep"};
    for (const std::wstring& strName : others)
        WriteBytes(folder.File(strName), "other");

    ASSERT_EQ(SaveInto(folder.Path(), MakeSession(L"a", {{{L"http://a/", L"A"}}}), L"new", false), "");
    EXPECT_FALSE(FileExists(strLeftover));
    EXPECT_TRUE(FileExists(strHeld));
    for (const std::wstring& strName : others)
        EXPECT_EQ(ReadBytes(folder.File(strName)), "other") << WideToUtf8(strName);
}

TEST(ConcurrentSave, ATakenOrPlantedTemporaryNameIsNeverWrittenThrough)
{
    CTempFolder folder;
    CTempFolder elsewhere;
    const std::wstring strVictim = elsewhere.File(L"victim");
    WriteBytes(strVictim, "precious");
    // The next two names are the same: the first save finds it taken and takes the one after.
    SetTempNameSource(FixedNames);
    g_nNextName = 0;
    const std::wstring strFirstName = NewTempFileName();
#ifdef _WIN32
    CHeldFile taken(folder.File(strFirstName));
#else
    ASSERT_EQ(symlink(WideToUtf8(strVictim).c_str(), WideToUtf8(folder.File(strFirstName)).c_str()), 0);
#endif
    g_nNextName = 0;
    const std::string strResult = SaveInto(folder.Path(), MakeSession(L"a", {{{L"http://a/", L"A"}}}), L"s", false);
    SetTempNameSource(nullptr);
    ASSERT_EQ(strResult, "");
    EXPECT_EQ(ReadBytes(strVictim), "precious");
    EXPECT_EQ(LoadDescribed(folder.File(L"s")), Describe(MakeSession(L"a", {{{L"http://a/", L"A"}}})));
}
