#include <gtest/gtest.h>

#include <ctime>

#include "session/find_files.h"
#include "session/manual_saved_instance_saver.h"
#include "session/saved_session_catalogue.h"
#include "session/text_conversion.h"
#include "tests/native/fake_os.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace
{
const std::string kGood = OneTabFile("Blank page");
const std::string kBadHeader = "QLMR ManualSave \r\n2\r\n";
const std::string kBadUtf8Title = OneTabFile("\xC3(");

// A real folder and what the catalogue makes of it.
class CatalogueTest : public ::testing::Test
{
protected:
    std::wstring Sub(const std::wstring& strName) { return m_folder.File(L"sub") + SystemOs().PathSeparator() + strName; }

    // The names loaded; the failures in m_failures.
    std::vector<std::wstring> Load(bool bGoOn = true)
    {
        std::vector<CSession> sessions;
        m_failures.clear();
        LoadSessionsFromFolder(sessions, m_folder.Path(), SystemOs(), [&](const CLoadFailure& failure) {
            m_failures.push_back(failure);
            return bGoOn;
        });
        std::vector<std::wstring> names;
        for (const CSession& session : sessions)
            names.push_back(session.GetName());
        m_sessions = sessions;
        return names;
    }

    CTempFolder m_folder;
    std::vector<CLoadFailure> m_failures;
    std::vector<CSession> m_sessions;
};
}  // namespace

TEST_F(CatalogueTest, FindFilesListsOnlyNamesWithoutADot)
{
    for (const wchar_t* pszName : {L"work", L"notes.txt", L".old", L"zz"})
        WriteBytes(m_folder.File(pszName), "");
    MakeFolder(m_folder.File(L"sub"));
    WriteBytes(Sub(L"deep"), "");
    WriteBytes(Sub(L"deep.txt"), "");

    const struct
    {
        const wchar_t* pszExtension;
        bool bRecurse;
        std::vector<std::wstring> files;
    } cases[] = {
        {nullptr, false, {m_folder.File(L"work"), m_folder.File(L"zz")}},
        {nullptr, true, {Sub(L"deep"), m_folder.File(L"work"), m_folder.File(L"zz")}},
        {L"txt", true, {m_folder.File(L"notes.txt"), Sub(L"deep.txt")}},
        {L"work", false, {m_folder.File(L"work")}},  // a name without a dot is compared whole
    };
    for (const auto& c : cases)
    {
        std::vector<std::wstring> files;
        EXPECT_EQ(FindFiles(files, m_folder.Path(), c.pszExtension, c.bRecurse), 0u);
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, c.files);
    }
    std::vector<std::wstring> files;
    EXPECT_EQ(FindFiles(files, m_folder.File(L"missing"), nullptr, false), 0u);
    EXPECT_TRUE(files.empty());
}

TEST_F(CatalogueTest, ReadsEverySessionNamedAfterItsFileAndNothingBelow)
{
    CSession session = MakeSession(L"x", {{{L"a", L"A"}, {L"b", L"B"}, {L"c", L"C"}},
                                          {{L"d", L"D"}, {L"e", L"E"}, {L"f", L"F"}, {L"g", L"G"}}});
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.SetFolder(m_folder.Path());
    saver.Save(L"work");
    WriteBytes(m_folder.File(L"notes.txt"), kBadHeader);  // never read: it has a dot
    MakeFolder(m_folder.File(L"sub"));
    WriteBytes(Sub(L"deeper"), kBadHeader);  // never read: below the folder
#ifndef _WIN32
    // A link to a folder is a folder.
    ASSERT_EQ(symlink(WideToUtf8(m_folder.File(L"sub")).c_str(), WideToUtf8(m_folder.File(L"link")).c_str()), 0);
#endif

    const std::time_t before = std::time(nullptr);
    EXPECT_EQ(Load(), std::vector<std::wstring>{L"work"});
    EXPECT_TRUE(m_failures.empty());
    EXPECT_EQ(m_sessions[0].GetInstanceSetsCount(), 2);
    EXPECT_EQ(m_sessions[0].GetUrlItemsCount(), 7);
    // Stamped with the file's last-write time, moments ago.
    EXPECT_LE(std::abs(static_cast<long long>(m_sessions[0].GetTime() - before)), 120);
}

TEST_F(CatalogueTest, TheUserDecidesWhetherToGoOnAfterABadFileAndAFrameworkExceptionStops)
{
    // The system lists in byte order: the damaged file is second.
    for (const wchar_t* pszName : {L"s1", L"s3", L"s4"})
        WriteBytes(m_folder.File(pszName), kGood);
    WriteBytes(m_folder.File(L"s2"), kBadHeader);
    for (bool bGoOn : {true, false})
    {
        EXPECT_EQ(Load(bGoOn), bGoOn ? (std::vector<std::wstring>{L"s1", L"s3", L"s4"}) : std::vector<std::wstring>{L"s1"});
        ASSERT_EQ(m_failures.size(), 1u);
        EXPECT_EQ(m_failures[0].strFileName, L"s2");
        EXPECT_EQ(m_failures[0].kind, ELoadFailureKind::StandardException);
        EXPECT_EQ(m_failures[0].strReason, L"CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
    }
    WriteBytes(m_folder.File(L"s2"), kBadUtf8Title);
    EXPECT_EQ(Load(true), std::vector<std::wstring>{L"s1"});  // not asked: loading stops
    ASSERT_EQ(m_failures.size(), 1u);
    EXPECT_EQ(m_failures[0].kind, ELoadFailureKind::FrameworkException);
    EXPECT_FALSE(m_failures[0].strReason.empty());
}

// The catalogue over the session folder of a fake system, stray files gathered first.
class FakeCatalogueTest : public ::testing::Test
{
protected:
    std::vector<std::wstring> Load()
    {
        CSessionFolderLocator locator(m_os);
        std::vector<CSession> sessions;
        LoadSavedSessions(sessions, locator, [&](const CLoadFailure& failure) {
            m_failures.push_back(failure.strFileName + L": " + failure.strReason);
            return true;
        });
        std::vector<std::wstring> names;
        for (const CSession& session : sessions)
            names.push_back(session.GetName());
        return names;
    }

    const std::wstring kLow = L"C:\\Users\\Ann\\AppData\\LocalLow\\Quillmere";
    const std::wstring kRoaming = L"C:\\Users\\Ann\\AppData\\Roaming\\Quillmere";
    CFakeWindowsOs m_os;
    std::vector<std::wstring> m_failures;
};

TEST_F(FakeCatalogueTest, GathersStrayFilesFirstOnLaterSystemsOnly)
{
    m_os.MakeFolders(kLow);
    m_os.Write(kLow + L"\\low", kGood);
    m_os.MakeFolders(kRoaming);
    m_os.Write(kRoaming + L"\\roaming", kGood);
    // An earlier system neither migrates nor looks below LocalLow.
    m_os.m_nMajorVersion = 5;
    EXPECT_EQ(Load(), std::vector<std::wstring>{L"roaming"});
    m_os.m_nMajorVersion = 6;
    EXPECT_EQ(Load(), (std::vector<std::wstring>{L"low", L"roaming"}));
    m_os.m_strRoaming.clear();
    EXPECT_THROW(Load(), std::runtime_error);  // no folder known
}

TEST_F(FakeCatalogueTest, SearchFailures)
{
    m_os.m_nMajorVersion = 5;
    m_os.MakeFolders(kRoaming);
    m_os.Write(kRoaming + L"\\work", kGood);
    m_os.m_bFindFails = true;
    EXPECT_TRUE(Load().empty());
    m_os.m_bFindFails = false;
    m_os.m_bFindFindsTwo = true;
    EXPECT_TRUE(Load().empty());
    EXPECT_EQ(m_failures, (std::vector<std::wstring>{L"work: CSessionsTabPage::LoadSavedSessions() - FindFileFailed",
                                                     L"work: CSessionsTabPage::LoadSavedSessions() - FindNextFileFailed"}));
    m_os.m_nListError = 5;
    EXPECT_THROW(Load(), std::runtime_error);
}
