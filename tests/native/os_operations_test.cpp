// The system's own operations on real files: what each reports when it cannot do its work.
#include <gtest/gtest.h>

#include <cerrno>
#include <ios>

#include "os_operations.h"
#include "test_support.h"
#include "text_conversion.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
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
#endif
