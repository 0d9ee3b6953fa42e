#include <gtest/gtest.h>

#include "session/manual_saved_instance_loader.h"
#include "session/manual_saved_instance_saver.h"
#include "session/session_folder.h"
#include "session/text_conversion.h"
#include "tests/native/fake_os.h"

namespace
{
const std::wstring kFolder = L"C:\\Sessions";

class SaverTest : public ::testing::Test
{
protected:
    SaverTest() { m_os.MakeFolders(kFolder); }

    // Saves into the fake folder; returns the exception text, or "" on success.
    std::string Save(CSession session, const wchar_t* pszName, const std::wstring& strFolder = kFolder)
    {
        CManualSavedInstanceSaver saver(m_os);
        saver.SetSession(&session);
        saver.SetFolder(strFolder);
        try
        {
            saver.Save(pszName);
        }
        catch (const std::exception& e)
        {
            EXPECT_NE(session.GetName(), pszName ? pszName : L"");
            return e.what();
        }
        EXPECT_EQ(saver.GetFilePath(), kFolder + L"\\" + pszName);
        EXPECT_EQ(session.GetName(), pszName);
        return std::string();
    }

    std::string Saved(const std::wstring& strName) { return m_os.Read(kFolder + L"\\" + strName); }

    CFakeWindowsOs m_os;
};

CSession OneTab(const std::wstring& strUrl, const std::wstring& strTitle)
{
    return MakeSession(L"x", {{{strUrl, strTitle}}});
}
}  // namespace

TEST_F(SaverTest, WritesTheWorkedExampleByteForByte)
{
    ASSERT_EQ(Save(MakeSession(L"x", {{{L"about:blank", L"Blank page"}, {L"file:///C:/My Docs/a.htm", L"Notes"}},
                                      {{L"about:blank", L"Blank page"}}}),
                   L"example"),
              "");
    EXPECT_EQ(Saved(L"example"), ReadBytes(TestDataPath(L"example")));
    // Only the file itself is left: no temporary file.
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"example"});
}

TEST_F(SaverTest, StoresLengthsInBytesAndEachTitleOnOneLineOf200UnitsAtMost)
{
    const std::wstring strAccents = Utf8ToWide("\xC3\xA9t\xC3\xA9");  // été: 3 characters, 5 bytes
    const std::wstring strPair = Utf8ToWide("\xF0\x9F\x98\x80");
    const struct
    {
        std::wstring strUrl, strTitle;
        std::string strLines;
    } cases[] = {
        {L"http://a b c/", L"t", "17\r\nhttp://a%20b%20c/\r\n1\r\nt"},  // 13 + 4
        {L"a", std::wstring(250, L'x'), "200\r\n" + std::string(200, 'x')},
        {L"a", strAccents, "5\r\n\xC3\xA9t\xC3\xA9"},
        // 199 ASCII characters and then a pair: the 200-unit cut falls inside it.
        {L"a", std::wstring(199, L'y') + strPair, "199\r\n" + std::string(199, 'y')},
        {L"a", std::wstring(100, L'y') + strPair + L"\n", "105\r\n" + std::string(100, 'y') + "\xF0\x9F\x98\x80 "},
        {L"a", L"one\r\ntwo", "8\r\none  two"},
        {L"a", L"\nab\rcdefg\n", "10\r\n ab cdefg "},
        // The other control characters stay, in addresses and titles alike.
        {L"a\x08\x0E\x1F", L"\x0B\x0C\x08", "4\r\na\x08\x0E\x1F\r\n3\r\n\x0B\x0C\x08"},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(Save(OneTab(c.strUrl, c.strTitle), L"s"), "");
        EXPECT_EQ(Saved(L"s"), "QLMR ManualSave\r\n2\r\n1\r\n[Instance 1]\r\n1\r\n" +
                                   std::string(c.strUrl == L"a" ? "1\r\na\r\n" : "") + c.strLines);
    }
}

TEST_F(SaverTest, RefusesWhatCouldNotBeReadBackAndKeepsTheOldFile)
{
    m_os.Write(kFolder + L"\\keep", "old content");
    const std::string kSave = "CManualSavedInstanceSaver::Save() - ";
    const std::string kSets = "CManualSavedInstanceSaver::SaveInstanceSets() - ";
    std::vector<std::pair<CSession, std::string>> cases = {
        {MakeSession(L"x", {{{L"a", L"A"}}, {}}), kSave + "EmptyInstanceSet"},
        {MakeSession(L"x", {}), kSave + "GetInstanceSetsCount() is empty"},
        {OneTab(L"", L"A"), kSave + "EmptyUrl"},
        {OneTab(L"http://" + std::wstring(65529, L'a'), L"A"), kSets + "UrlTooLong"},  // 65536 bytes
        {OneTab(L"http://" + std::wstring(21843, L' '), L"A"), kSets + "UrlTooLong"},  // 7 + 3 x 21843
        {MakeSession(L"x", {{{L"a", L"A"}, {L"b", L""}}}), kSets + "InvalidConvertedString"},
    };
    // A break at any place of an address is found, four characters being checked at once.
    for (std::size_t nAt = 0; nAt < 10; ++nAt)
    {
        for (wchar_t c : std::wstring(L"\t\n\v\f\r"))
        {
            std::wstring strUrl = L"abcdefghi";
            strUrl.insert(nAt, 1, c);
            cases.push_back({OneTab(strUrl, L"A"), kSave + "UrlHasWhiteSpace"});
        }
    }
    CInstanceSet big;
    for (int i = 0; i < 65536; ++i)
        big.AddUrlItem(CUrlItem(L"a", L"A"));
    CSession manyTabs(L"x", 0);
    manyTabs.AddInstanceSet(big);
    cases.push_back({manyTabs, kSave + "TooManyUrlItems"});
    CSession manySets(L"x", 0);
    for (int i = 0; i < 65536; ++i)
        manySets.AddInstanceSet(OneTab(L"a", L"A").GetInstanceSet(0)[0]);
    cases.push_back({manySets, kSave + "TooManyInstanceSets"});
    for (const auto& c : cases)
    {
        EXPECT_EQ(Save(c.first, L"keep"), c.second);
        EXPECT_EQ(Saved(L"keep"), "old content");
    }
    for (const wchar_t* pszName : {static_cast<const wchar_t*>(nullptr), L"", L"..\\escape", L"a/b"})
        EXPECT_EQ(Save(OneTab(L"a", L"A"), pszName), kSave + "pchFileName is bad");
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"keep"});
    EXPECT_THROW(CManualSavedInstanceSaver(m_os).Save(L"n"), std::runtime_error);  // no session

    // The longest address that can be read back is written.
    EXPECT_EQ(Save(OneTab(L"http://" + std::wstring(65528, L'a'), L"A"), L"longest"), "");
}

TEST_F(SaverTest, ReplacesAnExistingFileOnlyWhenTheWriteSucceeds)
{
    ASSERT_EQ(Save(OneTab(L"http://first/", L"First"), L"work"), "");
    const std::string strFirst = Saved(L"work");
    const CSession second = OneTab(L"http://second/", L"Second");
    m_os.m_bFailWrite = true;
    EXPECT_NE(Save(second, L"work").find("cannot write the session file"), std::string::npos);
    m_os.m_bFailWrite = false;
    m_os.m_nFailPublish = 5;
    EXPECT_NE(Save(second, L"work").find("cannot replace the session file"), std::string::npos);
    m_os.m_nFailPublish = 0;
    EXPECT_EQ(Saved(L"work"), strFirst);
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"work"});  // no temporary file left
    EXPECT_NE(Save(second, L"n", L"C:\\does not exist").find("cannot create the session file"), std::string::npos);

    ASSERT_EQ(Save(second, L"work"), "");
    EXPECT_NE(Saved(L"work").find("http://second/"), std::string::npos);
}

TEST(Saver, WritesIntoTheSessionFolderByDefault)
{
    std::wstring strFolder;
    ASSERT_EQ(GetSessionFolder(strFolder), 1);
    CSession session = MakeSession(L"x", {{{L"about:blank", L"Blank page"}}});
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.Save(L"qlmr-default-folder-test");
    const std::wstring strPath = strFolder + SystemOs().PathSeparator() + L"qlmr-default-folder-test";
    EXPECT_EQ(saver.GetFilePath(), strPath);

    // And what the writer wrote, the reader reads back.
    CSession loaded(L"loaded", 0);
    CManualSavedInstanceLoader loader;
    loader.SetFilePath(strPath.c_str());
    loader.LoadSession(&loaded);
    EXPECT_EQ(Describe(loaded), Describe(session));
    EXPECT_EQ(SystemOs().RemoveFile(strPath), 0u);
}
