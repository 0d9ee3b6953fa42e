#include <gtest/gtest.h>

#include <ctime>

#include "fake_os.h"
#include "find_files.h"
#include "manual_saved_instance_saver.h"
#include "saved_session_catalogue.h"
#include "test_support.h"

namespace
{
const std::string kGood =
    CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "10", "Blank page"});
const std::string kBadHeader = "QLMR ManualSave \r\n2\r\n";
const std::string kBadUtf8Title =
    CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "2", "\xC3("});

std::vector<std::wstring> Names(const std::vector<CSession>& sessions)
{
    std::vector<std::wstring> names;
    for (const CSession& session : sessions)
        names.push_back(session.GetName());
    return names;
}

std::wstring BaseName(const std::wstring& strPath, wchar_t separator)
{
    return strPath.substr(strPath.rfind(separator) + 1);
}
}  // namespace

TEST(FindFiles, ListsOnlyNamesWithoutADot)
{
    CTempFolder folder;
    WriteBytes(folder.File(L"work"), kGood);
    WriteBytes(folder.File(L"notes.txt"), "");
    WriteBytes(folder.File(L".old"), "");
    MakeFolder(folder.File(L"archive"));
    WriteBytes(folder.File(L"archive") + SystemOs().PathSeparator() + L"deep", "");
    WriteBytes(folder.File(L"archive") + SystemOs().PathSeparator() + L"deep.txt", "");

    std::vector<std::wstring> files;
    EXPECT_EQ(FindFiles(files, folder.Path(), nullptr, false), 0u);
    EXPECT_EQ(files, std::vector<std::wstring>{folder.File(L"work")});

    files.clear();
    EXPECT_EQ(FindFiles(files, folder.Path(), L"txt", true), 0u);
    std::sort(files.begin(), files.end());
    const std::wstring strDeep = folder.File(L"archive") + SystemOs().PathSeparator() + L"deep.txt";
    EXPECT_EQ(files, (std::vector<std::wstring>{strDeep, folder.File(L"notes.txt")}));

    // With an extension, a name without a dot is compared whole.
    files.clear();
    EXPECT_EQ(FindFiles(files, folder.Path(), L"work", false), 0u);
    EXPECT_EQ(files, std::vector<std::wstring>{folder.File(L"work")});

    files.clear();
    EXPECT_EQ(FindFiles(files, folder.File(L"missing"), nullptr, false), 0u);
    EXPECT_TRUE(files.empty());
}

TEST(Catalogue, ReadsEverySessionNamedAfterItsFile)
{
    CTempFolder folder;
    CSession session = MakeSession(L"x", {{{L"a", L"A"}, {L"b", L"B"}, {L"c", L"C"}},
                                          {{L"d", L"D"}, {L"e", L"E"}, {L"f", L"F"}, {L"g", L"G"}}});
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.SetFolder(folder.Path());
    saver.Save(L"work");
    WriteBytes(folder.File(L"notes.txt"), kBadHeader);  // never read: it has a dot

    std::vector<CSession> sessions;
    int nFailures = 0;
    const std::time_t before = std::time(nullptr);
    LoadSessionsFromFolder(sessions, folder.Path(), SystemOs(), [&](const CLoadFailure&) { return ++nFailures, true; });
    EXPECT_EQ(nFailures, 0);
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].GetName(), L"work");
    EXPECT_EQ(sessions[0].GetInstanceSetsCount(), 2);
    EXPECT_EQ(sessions[0].GetUrlItemsCount(), 7);
    // Stamped with the file's last-write time, moments ago.
    EXPECT_LE(std::abs(static_cast<long long>(sessions[0].GetTime() - before)), 120);
}

TEST(Catalogue, TheUserDecidesWhetherToGoOnAfterABadFile)
{
    CTempFolder folder;
    for (const wchar_t* pszName : {L"s1", L"s2", L"s3", L"s4"})
        WriteBytes(folder.File(pszName), kGood);
    // The damaged file goes second in whatever order the system lists the folder.
    std::vector<std::wstring> files;
    ASSERT_EQ(FindFiles(files, folder.Path(), nullptr, false), 0u);
    ASSERT_EQ(files.size(), 4u);
    WriteBytes(files[1], kBadHeader);
    const wchar_t separator = SystemOs().PathSeparator();

    for (bool bGoOn : {true, false})
    {
        std::vector<CLoadFailure> failures;
        std::vector<CSession> sessions;
        LoadSessionsFromFolder(sessions, folder.Path(), SystemOs(), [&](const CLoadFailure& failure) {
            failures.push_back(failure);
            return bGoOn;
        });
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].strFileName, BaseName(files[1], separator));
        EXPECT_EQ(failures[0].kind, ELoadFailureKind::StandardException);
        EXPECT_EQ(failures[0].strReason, L"CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
        std::vector<std::wstring> expected = {BaseName(files[0], separator)};
        if (bGoOn)
            expected.insert(expected.end(), {BaseName(files[2], separator), BaseName(files[3], separator)});
        EXPECT_EQ(Names(sessions), expected);
    }
}

TEST(Catalogue, AFrameworkExceptionStopsLoading)
{
    CTempFolder folder;
    for (const wchar_t* pszName : {L"s1", L"s2", L"s3"})
        WriteBytes(folder.File(pszName), kGood);
    std::vector<std::wstring> files;
    FindFiles(files, folder.Path(), nullptr, false);
    WriteBytes(files[1], kBadUtf8Title);

    std::vector<CLoadFailure> failures;
    std::vector<CSession> sessions;
    LoadSessionsFromFolder(sessions, folder.Path(), SystemOs(), [&](const CLoadFailure& failure) {
        failures.push_back(failure);
        return true;  // not asked: loading stops whatever the answer
    });
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].kind, ELoadFailureKind::FrameworkException);
    EXPECT_FALSE(failures[0].strReason.empty());
    EXPECT_EQ(sessions.size(), 1u);
}

TEST(Catalogue, LoadSavedSessionsGathersStrayFilesFirst)
{
    CFakeWindowsOs os;
    const std::wstring strLow = L"C:\\Users\\Ann\\AppData\\LocalLow";
    os.MakeFolders(strLow);
    os.MakeFolders(L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere");
    os.Write(L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere\\stray", kGood);

    CSessionFolderLocator locator(os);
    std::vector<CSession> sessions;
    LoadSavedSessions(sessions, locator, [](const CLoadFailure&) { return true; });
    EXPECT_EQ(Names(sessions), std::vector<std::wstring>{L"stray"});
    EXPECT_TRUE(os.Exists(strLow + L"\\Quillmere\\stray"));

    // An earlier system neither migrates nor looks below LocalLow.
    CFakeWindowsOs old;
    old.m_nMajorVersion = 5;
    old.MakeFolders(strLow + L"\\Quillmere");
    old.Write(strLow + L"\\Quillmere\\low", kGood);
    old.MakeFolders(L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere");
    old.Write(L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere\\roaming", kGood);
    CSessionFolderLocator oldLocator(old);
    sessions.clear();
    LoadSavedSessions(sessions, oldLocator, [](const CLoadFailure&) { return true; });
    EXPECT_EQ(Names(sessions), std::vector<std::wstring>{L"roaming"});
}

TEST(Catalogue, AnUnknownFolderIsAnError)
{
    CFakeWindowsOs os;
    os.m_strRoaming.clear();
    CSessionFolderLocator locator(os);
    std::vector<CSession> sessions;
    try
    {
        LoadSavedSessions(sessions, locator, [](const CLoadFailure&) { return true; });
        ADD_FAILURE();
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "CSessionsTabPage::LoadSavedSessions() - strPath is empty");
    }
}

TEST(Catalogue, SearchFailures)
{
    CFakeWindowsOs os;
    os.m_nMajorVersion = 5;
    const std::wstring strFolder = L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere";
    os.MakeFolders(strFolder);
    os.Write(strFolder + L"\\work", kGood);

    const auto load = [&](std::vector<CLoadFailure>& failures) {
        CSessionFolderLocator locator(os);
        std::vector<CSession> sessions;
        LoadSavedSessions(sessions, locator, [&](const CLoadFailure& failure) {
            failures.push_back(failure);
            return true;
        });
        return sessions.size();
    };

    std::vector<CLoadFailure> failures;
    os.m_bFindFails = true;
    EXPECT_EQ(load(failures), 0u);
    os.m_bFindFails = false;
    os.m_bFindFindsTwo = true;
    EXPECT_EQ(load(failures), 0u);
    os.m_bFindFindsTwo = false;
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].strFileName, L"work");
    EXPECT_EQ(failures[0].strReason, L"CSessionsTabPage::LoadSavedSessions() - FindFileFailed");
    EXPECT_EQ(failures[1].strReason, L"CSessionsTabPage::LoadSavedSessions() - FindNextFileFailed");

    os.m_nListError = 5;
    try
    {
        load(failures);
        ADD_FAILURE();
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "CSessionsTabPage::LoadSavedSessions() - SearchDirectoryFailed");
    }
}
