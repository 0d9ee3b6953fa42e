// The system's own operations on real files: what each reports when it cannot do its work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ios>
#include <string>
#include <utility>

#include "session/os_operations.h"
#include "session/text_conversion.h"
#include "tests/native/test_support.h"

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "session/os_operations_posix.h"
#endif

namespace
{
int g_nNames = 0;
std::uint64_t CountedNames()
{
    ++g_nNames;
    return 0x0123456789abcdefULL;
}
}  // namespace

TEST(OsOperations, TemporaryNamesHaveTheirPattern)
{
    SetTempNameSource(CountedNames);
    const std::wstring strName = NewTempFileName();
    EXPECT_EQ(strName, L".qlmr-0123456789abcdef.tmp");
    // Every name taken: the writer gives up after a bounded number of tries.
    CTempFolder folder;
    WriteBytes(folder.File(strName), "taken");
    g_nNames = 0;
    EXPECT_THROW(SystemOs().CreateTempFile(folder.Path()), std::ios_base::failure);
    EXPECT_EQ(g_nNames, 100);
    SetTempNameSource(nullptr);
    EXPECT_NE(NewTempFileName(), NewTempFileName());

    for (const wchar_t* pszName : {L".qlmr-0123456789abcdef.tmp", L".qlmr-ffffffffffffffff.tmp"})
        EXPECT_TRUE(IsTempFileName(pszName)) << pszName;
    for (const wchar_t* pszName : {L".qlmr-0123456789abcdeg.tmp", L".qlmr-0123456789abcdeF.tmp",
                                   L".qlmr-0123456789abcde/.tmp", L".qlmr-0123456789abcdef.tmx",
                                   L".qlmx-0123456789abcdef.tmp", L".qlmr-0123456789abcde.tmp", L""})
        EXPECT_FALSE(IsTempFileName(pszName)) << pszName;
}

TEST(OsOperations, FailuresAreReportedNotHidden)
{
    IOsOperations& os = SystemOs();
    CTempFolder folder;
    const std::wstring strMissing = folder.File(L"missing") + os.PathSeparator() + L"x";
    errno = EINVAL;  // a success says so whatever the last failure left
    EXPECT_EQ(os.MakeDirectory(folder.File(L"sub")), 0u);
    EXPECT_TRUE(os.PathExists(folder.File(L"sub")));
    EXPECT_NE(os.MakeDirectory(folder.File(L"sub")), 0u);
    EXPECT_NE(os.MakeDirectory(strMissing), 0u);
    EXPECT_FALSE(os.PathExists(strMissing));
    EXPECT_NE(os.RemoveFile(strMissing), 0u);
    std::time_t lastWrite = 0;
    EXPECT_EQ(os.FindOneFile(strMissing, lastWrite), EFindOneFile::NotFound);
    EXPECT_THROW(os.CreateTempFile(folder.File(L"missing")), std::ios_base::failure);

    // Moves never replace a file.
    WriteBytes(folder.File(L"a"), "a");
    WriteBytes(folder.File(L"b"), "b");
    EXPECT_FALSE(os.MoveFileKeepExisting(folder.File(L"a"), folder.File(L"b")));
    EXPECT_NE(os.RenameFile(folder.File(L"a"), folder.File(L"b")), 0u);
    EXPECT_NE(os.RenameFile(strMissing, folder.File(L"c")), 0u);
    EXPECT_EQ(os.RenameFile(folder.File(L"a"), folder.File(L"c")), 0u);
    EXPECT_TRUE(os.MoveFileKeepExisting(folder.File(L"c"), folder.File(L"d")));
    EXPECT_EQ(ReadBytes(folder.File(L"d")), "a");
    EXPECT_EQ(ReadBytes(folder.File(L"b")), "b");
    EXPECT_EQ(os.RemoveFile(folder.File(L"d")), 0u);

    std::string strWhy;
    for (const std::wstring& strPath : {strMissing, folder.File(L"sub")})
    {
        EXPECT_EQ(os.OpenForReading(strPath, strWhy), nullptr);
        EXPECT_FALSE(strWhy.empty());
    }
    std::vector<CDirectoryEntry> entries;
    unsigned long nError = 0;
    EXPECT_FALSE(os.ListFolder(folder.File(L"missing"), entries, nError));
}

#ifndef _WIN32
TEST(OsOperations, ListingSaysWhatEachPosixEntryIs)
{
    CTempFolder folder;
    const auto path = [&](const char* pszName) { return WideToUtf8(folder.File(Utf8ToWide(pszName))); };
    MakeFolder(folder.File(L"dir"));
    WriteBytes(folder.File(L"file"), "f");
    ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink(path("dir").c_str(), path("to-dir").c_str()), 0);
    ASSERT_EQ(symlink(path("file").c_str(), path("to-file").c_str()), 0);
    ASSERT_EQ(symlink(path("pipe").c_str(), path("to-pipe").c_str()), 0);
    ASSERT_EQ(symlink("/dev/zero", path("to-device").c_str()), 0);
    ASSERT_EQ(symlink(path("nowhere").c_str(), path("dangling").c_str()), 0);
    WriteBytes(folder.File(L"x"), "");
    ASSERT_EQ(rename(path("x").c_str(), (path("") + "\xFF").c_str()), 0);  // no UTF-8 name: not listed

    std::vector<CDirectoryEntry> entries;
    unsigned long nError = 1;
    ASSERT_TRUE(SystemOs().ListFolder(folder.Path(), entries, nError));
    EXPECT_EQ(nError, 0u);
    std::wstring strListed;
    for (const CDirectoryEntry& entry : entries)
        strListed += entry.strName + (entry.bDirectory ? L"/" : entry.bPipeOrDevice ? L"|" : L"") + L" ";
    EXPECT_EQ(strListed, L"dangling dir/ file pipe| to-device| to-dir/ to-file to-pipe| ");

    std::string strWhy;
    for (const char* pszName : {"pipe", "to-pipe", "to-device"})
    {
        EXPECT_EQ(SystemOs().OpenForReading(folder.File(Utf8ToWide(pszName)), strWhy), nullptr);
        EXPECT_EQ(strWhy, "not a regular file");
    }
    EXPECT_EQ(SystemOs().OpenForReading(folder.File(L"dir"), strWhy), nullptr);
    EXPECT_EQ(strWhy, "Is a directory");
    std::FILE* pFile = SystemOs().OpenForReading(folder.File(L"to-file"), strWhy);
    ASSERT_NE(pFile, nullptr);
    std::fclose(pFile);
}

namespace
{
// A stand-in put in place for one scope.
template <class T>
class CStandIn
{
public:
    CStandIn(T& target, T value) : m_target(target), m_old(target) { m_target = value; }
    ~CStandIn() { m_target = m_old; }

private:
    T& m_target;
    T m_old;
};

// What the next call answers: the system's own answer for at most this many bytes (kSystem: all),
// 0, or -1 with minus this as errno.
constexpr int kSystem = 1 << 30;
int g_nAnswer = kSystem;

ssize_t WriteAnsweringOnce(int fd, const void* p, std::size_t n)
{
    const int nAnswer = std::exchange(g_nAnswer, kSystem);
    if (nAnswer > 0)
        return write(fd, p, std::min<std::size_t>(n, nAnswer));
    // errno as an interrupted call leaves it: a write of nothing must not be taken for one.
    errno = nAnswer < 0 ? -nAnswer : EINTR;
    return nAnswer < 0 ? -1 : 0;
}

int RenameFailing(int, const char*, int, const char*, unsigned int)
{
    errno = -g_nAnswer;
    return -1;
}

passwd* NoPasswdEntry(uid_t) { return nullptr; }
}  // namespace

TEST(OsOperations, RenamesWithoutTheNoReplaceFlagFallBackToALink)
{
    const CStandIn renameAt2(posix_calls::pfnRenameAt2, RenameFailing);
    // Only a file system that lacks the flag takes the fallback; other failures are reported.
    for (const auto& c : {std::pair{EINVAL, true}, std::pair{ENOSYS, true}, std::pair{EACCES, false}})
    {
        SCOPED_TRACE(c.first);
        g_nAnswer = -c.first;
        CTempFolder folder;
        WriteBytes(folder.File(L"a"), "a");
        WriteBytes(folder.File(L"b"), "b");
        EXPECT_FALSE(SystemOs().MoveFileKeepExisting(folder.File(L"a"), folder.File(L"b")));
        EXPECT_EQ(ReadBytes(folder.File(L"b")), "b");
        EXPECT_EQ(SystemOs().RenameFile(folder.File(L"a"), folder.File(L"c")) == 0, c.second);
        EXPECT_EQ(FolderNames(folder.Path()), c.second ? (std::vector<std::wstring>{L"b", L"c"})
                                                       : (std::vector<std::wstring>{L"a", L"b"}));
    }
    g_nAnswer = kSystem;
}

TEST(OsOperations, AWriteIsRetriedOnlyWhenInterrupted)
{
    const CStandIn write(posix_calls::pfnWrite, WriteAnsweringOnce);
    const struct
    {
        int nAnswer;
        int nError;  // 0: written
    } cases[] = {{-EINTR, 0}, {1, 0}, {0, EIO}, {-ENOSPC, ENOSPC}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.nAnswer);
        CTempFolder folder;
        const auto pFile = SystemOs().CreateTempFile(folder.Path());
        g_nAnswer = c.nAnswer;
        try
        {
            pFile->Write("bytes");
            unsigned long nError = 0;
            EXPECT_EQ(pFile->Publish(folder.File(L"s"), false, nError), EPublish::Done);
            EXPECT_EQ(ReadBytes(folder.File(L"s")), "bytes");
            EXPECT_EQ(c.nError, 0);
        }
        catch (const std::ios_base::failure& e)
        {
            EXPECT_EQ(e.code().value(), c.nError);
        }
    }
}

TEST(OsOperations, ATemporaryNameTakenAnewIsGivenUp)
{
    // Another writer's cleanup removes the new file and a file of someone else's takes its name.
    static std::string s_strPlanted;
    const CStandIn created(posix_calls::pfnCreated, +[](const std::string& strPath) {
        if (!s_strPlanted.empty())
            return;
        s_strPlanted = strPath;
        unlink(strPath.c_str());
        WriteBytes(Utf8ToWide(strPath), "planted");
    });
    CTempFolder folder;
    const auto pFile = SystemOs().CreateTempFile(folder.Path());
    pFile->Write("mine");
    unsigned long nError = 0;
    EXPECT_EQ(pFile->Publish(folder.File(L"s"), false, nError), EPublish::Done);
    EXPECT_EQ(ReadBytes(folder.File(L"s")), "mine");
    EXPECT_EQ(ReadBytes(Utf8ToWide(s_strPlanted)), "planted");
}

TEST(OsOperations, HomeFolderFromTheEnvironmentOrThePasswdEntry)
{
    const std::string strData = std::getenv("XDG_DATA_HOME");
    const char* const pszHome = std::getenv("HOME");
    const std::string strHome = pszHome ? pszHome : "";
    static passwd s_entry{};
    const struct
    {
        const char* pszData;
        const char* pszHome;
        const char* pszEntryHome;  // nullptr: no passwd entry
        const wchar_t* pszFolder;  // nullptr: none
    } cases[] = {
        {"/data//", "/h", "/p", L"/data"},
        {"//", "/h", "/p", L"/"},
        {"data", "/h", "/p", L"/h/.local/share"},
        {nullptr, "", "/p", L"/p/.local/share"},
        {"", nullptr, "", nullptr},
        {nullptr, nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszHome ? c.pszHome : "no home");
        c.pszData ? setenv("XDG_DATA_HOME", c.pszData, 1) : unsetenv("XDG_DATA_HOME");
        c.pszHome ? setenv("HOME", c.pszHome, 1) : unsetenv("HOME");
        s_entry.pw_dir = const_cast<char*>(c.pszEntryHome);
        const CStandIn getPwUid(posix_calls::pfnGetPwUid,
                                c.pszEntryHome ? +[](uid_t) { return &s_entry; } : NoPasswdEntry);
        std::wstring strFolder = L"unchanged";
        EXPECT_EQ(SystemOs().QueryRoamingFolder(strFolder), c.pszFolder != nullptr);
        EXPECT_EQ(strFolder, c.pszFolder ? c.pszFolder : L"unchanged");
    }
    setenv("XDG_DATA_HOME", strData.c_str(), 1);
    pszHome ? setenv("HOME", strHome.c_str(), 1) : unsetenv("HOME");

    // Without an entry the user is whoever the environment names.
    const CStandIn getPwUid(posix_calls::pfnGetPwUid, NoPasswdEntry);
    const char* const pszUser = std::getenv("USER");
    const std::string strUser = pszUser ? pszUser : "";
    std::wstring strName;
    for (const char* pszName : {"someone", ""})
    {
        setenv("USER", pszName, 1);
        EXPECT_EQ(SystemOs().QueryUserName(strName), *pszName != '\0');
    }
    EXPECT_EQ(strName, L"someone");
    pszUser ? setenv("USER", strUser.c_str(), 1) : unsetenv("USER");
}
#endif
