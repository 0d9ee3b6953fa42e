#include <gtest/gtest.h>

#include <ios>
#include <sstream>

#include "fake_os.h"
#include "manual_saved_instance_loader.h"
#include "manual_saved_instance_saver.h"
#include "session_folder.h"
#include "test_support.h"
#include "text_conversion.h"

namespace
{
const std::wstring kFolder = L"C:\\Sessions";

class SaverTest : public ::testing::Test
{
protected:
    SaverTest() { m_os.MakeFolders(kFolder); }

    // Saves into the fake folder; returns the exception text, or "" on success.
    std::string Save(CSession& session, const wchar_t* pszName)
    {
        CManualSavedInstanceSaver saver(m_os);
        saver.SetSession(&session);
        saver.SetFolder(kFolder);
        try
        {
            saver.Save(pszName);
        }
        catch (const std::exception& e)
        {
            return e.what();
        }
        EXPECT_EQ(saver.GetFilePath(), kFolder + L"\\" + pszName);
        return std::string();
    }

    std::string Saved(const std::wstring& strName) { return m_os.Read(kFolder + L"\\" + strName); }

    CFakeWindowsOs m_os;
};

CSession OneBlankTab()
{
    return MakeSession(L"x", {{{L"about:blank", L"Blank page"}}});
}
}  // namespace

TEST_F(SaverTest, WritesTheSmallestFileByteForByte)
{
    CSession session = OneBlankTab();
    ASSERT_EQ(Save(session, L"one"), "");
    const std::string strExpected =
        CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "10", "Blank page"});
    EXPECT_EQ(strExpected.size(), 71u);
    EXPECT_EQ(Saved(L"one"), strExpected);
    EXPECT_EQ(session.GetName(), L"one");
    // Only the file itself is left: no temporary file.
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"one"});
}

TEST_F(SaverTest, WritesTheWorkedExampleByteForByte)
{
    CSession session = MakeSession(L"x", {{{L"about:blank", L"Blank page"}, {L"file:///C:/My Docs/a.htm", L"Notes"}},
                                          {{L"about:blank", L"Blank page"}}});
    ASSERT_EQ(Save(session, L"example"), "");
    const std::string strExpected = CrLfLines({"QLMR ManualSave", "2", "2", "[Instance 1]", "2", "11", "about:blank",
                                               "10", "Blank page", "26", "file:///C:/My%20Docs/a.htm", "5", "Notes",
                                               "[Instance 2]", "1", "11", "about:blank", "10", "Blank page"});
    EXPECT_EQ(Saved(L"example"), strExpected);
    // The file's own bytes agree with the checked-in example.
    EXPECT_EQ(strExpected, ReadBytes(TestDataPath(L"example")));
}

TEST_F(SaverTest, StoresLengthsInBytesAndCutsTitlesAt200Units)
{
    const std::wstring strLong(250, L'x');
    const std::wstring strAccents = Utf8ToWide("\xC3\xA9t\xC3\xA9");  // été: 3 characters, 5 bytes
    // 199 ASCII characters and then a pair: the 200-unit cut falls inside it.
    const std::wstring strSplitPair = std::wstring(199, L'y') + Utf8ToWide("\xF0\x9F\x98\x80");
    CSession session = MakeSession(L"x", {{{L"http://a b c/", strLong}, {L"about:blank", strAccents},
                                           {L"about:blank", strSplitPair}, {L"about:blank", L"one\r\ntwo"}}});
    ASSERT_EQ(Save(session, L"s"), "");
    const std::string strFile = Saved(L"s");
    EXPECT_NE(strFile.find("\r\n17\r\nhttp://a%20b%20c/\r\n"), std::string::npos);  // 13 + 4
    EXPECT_NE(strFile.find("\r\n200\r\n" + std::string(200, 'x') + "\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("\r\n5\r\n\xC3\xA9t\xC3\xA9\r\n"), std::string::npos);
    EXPECT_NE(strFile.find("\r\n199\r\n" + std::string(199, 'y') + "\r\n"), std::string::npos);
    // A line break inside a title would end the title line early.
    EXPECT_NE(strFile.find("\r\n8\r\none  two"), std::string::npos);
}

TEST_F(SaverTest, RefusesBadArgumentsBeforeTouchingTheFolder)
{
    CSession session = OneBlankTab();
    EXPECT_EQ(Save(session, nullptr), "CManualSavedInstanceSaver::Save() - pchFileName is bad");
    EXPECT_EQ(Save(session, L""), "CManualSavedInstanceSaver::Save() - pchFileName is bad");
    EXPECT_EQ(Save(session, L"..\\escape"), "CManualSavedInstanceSaver::Save() - pchFileName is bad");
    EXPECT_EQ(Save(session, L"a/b"), "CManualSavedInstanceSaver::Save() - pchFileName is bad");

    CManualSavedInstanceSaver saver(m_os);
    saver.SetFolder(kFolder);
    try
    {
        saver.Save(L"n");
        ADD_FAILURE();
    }
    catch (const std::exception& e)
    {
        EXPECT_STREQ(e.what(), "CManualSavedInstanceSaver::Save() - m_pSession is NULL");
    }

    CSession empty(L"empty", 0);
    EXPECT_EQ(Save(empty, L"n"), "CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty");
    EXPECT_TRUE(m_os.Names(kFolder).empty());
}

TEST_F(SaverTest, RefusesSessionsThatCouldNotBeReadBack)
{
    m_os.Write(kFolder + L"\\keep", "old content");
    const std::wstring strHugeUrl = L"http://" + std::wstring(65529, L'a');  // 65536 bytes
    const std::wstring strSpacyUrl = L"http://" + std::wstring(21843, L' ');  // 7 + 3 x 21843 = 65536 bytes
    const struct
    {
        CSession session;
        const char* pszMessage;
    } cases[] = {
        {MakeSession(L"x", {{{L"a", L"A"}}, {}}), "CManualSavedInstanceSaver::Save() - EmptyInstanceSet"},
        {MakeSession(L"x", {{{L"", L"A"}}}), "CManualSavedInstanceSaver::Save() - EmptyUrl"},
        {MakeSession(L"x", {{{L"http://a\tb", L"A"}}}), "CManualSavedInstanceSaver::Save() - UrlHasWhiteSpace"},
        {MakeSession(L"x", {{{L"http://a\nb", L"A"}}}), "CManualSavedInstanceSaver::Save() - UrlHasWhiteSpace"},
        {MakeSession(L"x", {{{strHugeUrl, L"A"}}}), "CManualSavedInstanceSaver::SaveInstanceSets() - UrlTooLong"},
        {MakeSession(L"x", {{{strSpacyUrl, L"A"}}}), "CManualSavedInstanceSaver::SaveInstanceSets() - UrlTooLong"},
        {MakeSession(L"x", {{{L"a", L"A"}, {L"b", L""}}}),
         "CManualSavedInstanceSaver::SaveInstanceSets() - InvalidConvertedString"},
    };
    for (const auto& c : cases)
    {
        CSession session = c.session;
        SCOPED_TRACE(c.pszMessage);
        EXPECT_EQ(Save(session, L"keep"), c.pszMessage);
        EXPECT_EQ(Saved(L"keep"), "old content");
        EXPECT_EQ(session.GetName(), L"x");
    }
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"keep"});

    // The longest address that can be read back is written.
    CSession longest = MakeSession(L"x", {{{L"http://" + std::wstring(65528, L'a'), L"A"}}});
    EXPECT_EQ(Save(longest, L"longest"), "");
}

TEST_F(SaverTest, EveryCharacterOfAnAddressIsCheckedForWhiteSpace)
{
    // The check goes several characters at a time: a break at any place is found, and the
    // control characters either side of the white space ones are no breaks.
    for (std::size_t nAt = 7; nAt < 16; ++nAt)
    {
        for (wchar_t c : std::wstring(L"\t\n\v\f\r"))
        {
            std::wstring strUrl = L"http://abcdefghi";
            strUrl[nAt] = c;
            CSession session = MakeSession(L"x", {{{strUrl, L"A"}}});
            EXPECT_EQ(Save(session, L"n"), "CManualSavedInstanceSaver::Save() - UrlHasWhiteSpace")
                << nAt << " " << static_cast<int>(c);
        }
        for (wchar_t c : {L'\x08', L'\x0E', L'\x1F'})
        {
            std::wstring strUrl = L"http://abcdefghi";
            strUrl[nAt] = c;
            CSession session = MakeSession(L"x", {{{strUrl, L"A"}}});
            ASSERT_EQ(Save(session, L"n"), "") << nAt << " " << static_cast<int>(c);
            EXPECT_NE(Saved(L"n").find("\r\n16\r\n" + WideToUtf8(strUrl) + "\r\n"),
                      std::string::npos);
        }
    }
}

TEST_F(SaverTest, OnlyLineBreaksInATitleBecomeSpaces)
{
    for (std::size_t nAt = 0; nAt < 9; ++nAt)
    {
        std::wstring strKept = L"abcdefghi";
        strKept[nAt] = nAt % 2 ? L'\v' : L'\f';
        std::wstring strBroken = L"abcdefghi";
        strBroken[nAt] = nAt % 2 ? L'\r' : L'\n';
        std::wstring strSpaced = strBroken;
        strSpaced[nAt] = L' ';
        CSession session =
            MakeSession(L"x", {{{L"about:blank", strKept}, {L"about:blank", strBroken}}});
        ASSERT_EQ(Save(session, L"t"), "");
        const std::string strFile = Saved(L"t");
        EXPECT_NE(strFile.find("\r\n9\r\n" + WideToUtf8(strKept) + "\r\n"), std::string::npos)
            << nAt;
        EXPECT_NE(strFile.find("\r\n9\r\n" + WideToUtf8(strSpaced)), std::string::npos) << nAt;
    }
}

TEST_F(SaverTest, TheStreamFormWritesTheFileLinesAfterTheHeader)
{
    CSession session =
        MakeSession(L"x", {{{L"http://a b/", L"A\nB"}, {L"about:blank", L"Blank page"}},
                           {{L"file:///C:/My Docs/a.htm", L"Notes"}}});
    std::ostringstream out;
    CManualSavedInstanceSaver saver(m_os);
    saver.SetSession(&session);
    saver.SaveInstanceSets(out);
    ASSERT_EQ(Save(session, L"s"), "");
    EXPECT_EQ("QLMR ManualSave\r\n2\r\n" + out.str(), Saved(L"s"));

    // A refused session leaves the lines before the refusal in the stream, as it always did.
    CSession refused = MakeSession(L"x", {{{L"http://a/", L"A"}, {L"about:blank", L""}}});
    std::ostringstream partial;
    saver.SetSession(&refused);
    EXPECT_THROW(saver.SaveInstanceSets(partial), std::runtime_error);
    EXPECT_EQ(partial.str(), CrLfLines({"1", "[Instance 1]", "2", "9", "http://a/", "1", "A", "11",
                                        "about:blank", ""}));
}

TEST_F(SaverTest, RefusesMoreSetsOrTabsThanTheFormatCounts)
{
    CInstanceSet set;
    set.AddUrlItem(CUrlItem(L"a", L"A"));
    CSession manySets(L"x", 0);
    for (int i = 0; i < 65536; ++i)
        manySets.AddInstanceSet(set);
    EXPECT_EQ(Save(manySets, L"n"), "CManualSavedInstanceSaver::Save() - TooManyInstanceSets");

    CInstanceSet big;
    for (int i = 0; i < 65536; ++i)
        big.AddUrlItem(CUrlItem(L"a", L"A"));
    CSession manyTabs(L"x", 0);
    manyTabs.AddInstanceSet(big);
    EXPECT_EQ(Save(manyTabs, L"n"), "CManualSavedInstanceSaver::Save() - TooManyUrlItems");
    EXPECT_TRUE(m_os.Names(kFolder).empty());
}

TEST_F(SaverTest, ReplacesAnExistingFileOnlyWhenTheWriteSucceeds)
{
    CSession first = MakeSession(L"x", {{{L"http://first/", L"First"}}});
    ASSERT_EQ(Save(first, L"work"), "");
    const std::string strFirst = Saved(L"work");

    CSession second = MakeSession(L"y", {{{L"http://second/", L"Second"}}});
    m_os.m_bFailWrite = true;
    EXPECT_NE(Save(second, L"work"), "");
    m_os.m_bFailWrite = false;
    EXPECT_EQ(Saved(L"work"), strFirst);
    EXPECT_EQ(second.GetName(), L"y");

    m_os.m_nFailPublish = 5;
    EXPECT_NE(Save(second, L"work"), "");
    m_os.m_nFailPublish = 0;
    EXPECT_EQ(Saved(L"work"), strFirst);
    EXPECT_EQ(second.GetName(), L"y");
    EXPECT_EQ(m_os.Names(kFolder), std::vector<std::wstring>{L"work"});  // no temporary file left

    ASSERT_EQ(Save(second, L"work"), "");
    EXPECT_NE(Saved(L"work").find("http://second/"), std::string::npos);
    EXPECT_EQ(second.GetName(), L"work");
}

TEST_F(SaverTest, AMissingFolderFailsWithTheStreamException)
{
    CSession session = OneBlankTab();
    CManualSavedInstanceSaver saver(m_os);
    saver.SetSession(&session);
    saver.SetFolder(L"C:\\does not exist");
    EXPECT_THROW(saver.Save(L"n"), std::ios_base::failure);
    EXPECT_EQ(session.GetName(), L"x");
}

TEST(Saver, WritesIntoTheSessionFolderByDefault)
{
    std::wstring strFolder;
    ASSERT_EQ(GetSessionFolder(strFolder), 1);
    CSession session = OneBlankTab();
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.Save(L"qlmr-default-folder-test");
    const std::wstring strPath = strFolder + SystemOs().PathSeparator() + L"qlmr-default-folder-test";
    EXPECT_EQ(saver.GetFilePath(), strPath);
    EXPECT_EQ(ReadBytes(strPath).size(), 71u);

    // And what the writer wrote, the reader reads back.
    CSession loaded(L"loaded", 0);
    CManualSavedInstanceLoader loader;
    loader.SetFilePath(strPath.c_str());
    loader.LoadSession(&loaded);
    EXPECT_EQ(Describe(loaded), Describe(session));
    EXPECT_EQ(SystemOs().RemoveFile(strPath), 0u);
}
