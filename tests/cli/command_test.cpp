#include <gtest/gtest.h>

#include <map>
#include <regex>

#include <nlohmann/json.hpp>

#include "cli_test_support.h"
#include "manual_saved_instance_saver.h"
#include "session_import.h"
#include "text_conversion.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace
{
const std::wstring kInvalidUtf8Title = L"\xFF";

std::string Bytes(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

// A session file written by the product's writer.
void SaveSession(CSession session, const std::wstring& strFolder, const std::wstring& strName)
{
    CManualSavedInstanceSaver saver;
    saver.SetFolder(strFolder);
    saver.SetSession(&session);
    saver.Save(strName.c_str());
}

// A file whose title is not UTF-8: the reader raises its conversion exception.
std::string InvalidUtf8File()
{
    return CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "1", "\xFF"});
}

class CommandTest : public ::testing::Test
{
protected:
    std::wstring Path(const std::wstring& strName) const { return m_folder.File(strName); }

    CTempFolder m_folder;
};

TEST_F(CommandTest, CheckReportsEveryFileAndFailsWhenOneIsDamaged)
{
    WriteBytes(Path(L"bad-header"), "QLMR Other\r\n2\r\n");
    WriteBytes(Path(L"truncated"), CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "10", "Blank"}));
    WriteBytes(Path(L"not-utf8"), InvalidUtf8File());

    const CRun good = RunCommand({L"check", TestDataPath(L"example"), TestDataPath(L"version1")});
    EXPECT_EQ(good.nExit, 0);
    EXPECT_EQ(good.strOut, Bytes(TestDataPath(L"example")) + ": ok, 2 windows, 3 tabs\n" +
                               Bytes(TestDataPath(L"version1")) + ": ok, 1 windows, 2 tabs\n");

    const CRun bad = RunCommand({L"check", Path(L"bad-header"), TestDataPath(L"example"), Path(L"truncated"),
                                 Path(L"not-utf8"), Path(L"missing")});
    EXPECT_EQ(bad.nExit, 1);
    std::istringstream lines(bad.strOut);
    std::string strLine;
    std::vector<std::string> got;
    while (std::getline(lines, strLine))
        got.push_back(strLine);
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[0], Bytes(Path(L"bad-header")) + ": CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
    EXPECT_EQ(got[1], Bytes(TestDataPath(L"example")) + ": ok, 2 windows, 3 tabs");
    EXPECT_EQ(got[2], Bytes(Path(L"truncated")) + ": CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch");
    // The rest is the system's own text for the failed conversion.
    EXPECT_EQ(got[3].rfind(Bytes(Path(L"not-utf8")) + ": invalid UTF-8: ", 0), 0u) << got[3];
    EXPECT_GT(got[3].size(), Bytes(Path(L"not-utf8")).size() + 20);
    // A missing file is named as missing, not as a file with a bad header.
    EXPECT_EQ(got[4].rfind(Bytes(Path(L"missing")) + ": cannot be opened: ", 0), 0u) << got[4];
    EXPECT_TRUE(bad.strErr.empty());

    // A folder is not a file.
    EXPECT_EQ(RunCommand({L"check", m_folder.Path()}).nExit, 1);
}

TEST_F(CommandTest, ListShowsTheCatalogueAndSkipsDamagedFiles)
{
    SaveSession(MakeSession(L"x", {{{L"http://a/", L"A"}, {L"http://b/", L"B"}}, {{L"http://c/", L"C"}}}),
                m_folder.Path(), L"Work");
    SaveSession(MakeSession(L"x", {{{L"http://d/", L"D"}}}), m_folder.Path(), L"Ünïcode 会话");
    WriteBytes(Path(L"Broken"), InvalidUtf8File());
    WriteBytes(Path(L"Also broken"), "junk");
    WriteBytes(Path(L"notes.txt"), "not a session: a name with a dot is never listed");

    const CRun run = RunCommand({L"--folder", m_folder.Path(), L"list"});
    EXPECT_EQ(run.nExit, 0);
    // Both damaged files are reported, the invalid UTF-8 one included: one bad file never
    // hides the others.
    EXPECT_NE(run.strErr.find(Bytes(Path(L"Broken")) + ": invalid UTF-8: "), std::string::npos) << run.strErr;
    EXPECT_NE(run.strErr.find(Bytes(Path(L"Also broken")) + ": CManualSavedInstanceLoader::VerifyFileHeader()"),
              std::string::npos)
        << run.strErr;
    EXPECT_EQ(run.strErr.find("notes.txt"), std::string::npos);

    const std::regex line("(Work|Ünïcode 会话)\t\\d{4}-\\d{2}-\\d{2}, \\d{2}:\\d{2}\t(\\d+)\t(\\d+)");
    std::istringstream lines(run.strOut);
    std::string strLine;
    std::map<std::string, std::string> counts;
    while (std::getline(lines, strLine))
    {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(strLine, match, line)) << strLine;
        counts[match[1]] = match[2].str() + "/" + match[3].str();
    }
    EXPECT_EQ(counts, (std::map<std::string, std::string>{{"Work", "2/3"}, {"Ünïcode 会话", "1/1"}}));

    // The same as JSON, with the same folder given after the command instead.
    const CRun json = RunCommand({L"list", L"--json", L"--folder", m_folder.Path()});
    EXPECT_EQ(json.nExit, 0);
    const nlohmann::json list = nlohmann::json::parse(json.strOut);
    ASSERT_EQ(list.size(), 2u);
    for (const nlohmann::json& session : list)
    {
        EXPECT_TRUE(std::regex_match(session["time"].get<std::string>(),
                                     std::regex("\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z")));
        if (session["name"] == "Work")
            EXPECT_EQ(session["tabs"], 3);
        else
            EXPECT_EQ(session["name"], "Ünïcode 会话");
    }
}

TEST_F(CommandTest, ListAndImportUseTheAddOnsFolderByDefault)
{
    const CRun import = RunCommand({L"import", L"--from", L"urls", L"-", L"--name", L"Default"}, m_folder.Path(),
                                   "http://example.com/\n");
    ASSERT_EQ(import.nExit, 0) << import.strErr;
    EXPECT_TRUE(FileExists(Path(L"Default")));
    const CRun list = RunCommand({L"list"}, m_folder.Path());
    EXPECT_EQ(list.strOut.rfind("Default\t", 0), 0u) << list.strOut;
}

// A folder that cannot be listed is a failure with the system's reason, never an empty list.
TEST_F(CommandTest, ListFailsWhenTheFolderCannotBeListed)
{
    WriteBytes(Path(L"file"), "not a folder");
    for (const std::wstring& strFolder : {Path(L"nowhere"), Path(L"file")})
    {
        for (const bool bJson : {false, true})
        {
            std::vector<std::wstring> args = {L"--folder", strFolder, L"list"};
            if (bJson)
                args.push_back(L"--json");
            const CRun run = RunCommand(args);
            EXPECT_EQ(run.nExit, 1) << Bytes(strFolder);
            EXPECT_TRUE(run.strOut.empty()) << run.strOut;
            const std::string strPrefix = "quillmere: list: '" + Bytes(strFolder) + "': the folder cannot be listed: ";
            EXPECT_EQ(run.strErr.rfind(strPrefix, 0), 0u) << run.strErr;
            EXPECT_GT(run.strErr.size(), strPrefix.size() + 5) << run.strErr;
        }
    }
}

#ifndef _WIN32
// Names that no Windows file can have: control characters, and a link to nothing.
TEST_F(CommandTest, ListEscapesNamesAndSaysWhatIsWrongWithAnEntry)
{
    SaveSession(MakeSession(L"x", {{{L"http://a/", L"A"}}}), m_folder.Path(), L"a\tb\x1b[2J\x9b");
    ASSERT_EQ(symlink(Bytes(Path(L"nowhere")).c_str(), Bytes(Path(L"dangling")).c_str()), 0);
    WriteBytes(Path(L"bad\x1b]0;x\x07"), "junk");

    const CRun run = RunCommand({L"--folder", m_folder.Path(), L"list"});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOut.rfind("a\\tb\\x1b[2J\\u009b\t", 0), 0u) << run.strOut;
    EXPECT_NE(run.strErr.find(Bytes(Path(L"dangling")) + ": a link to a file that does not exist\n"),
              std::string::npos)
        << run.strErr;
    EXPECT_NE(run.strErr.find(Bytes(Path(L"bad\\x1b]0;x\\x07")) + ": CManualSavedInstanceLoader::VerifyFileHeader()"),
              std::string::npos)
        << run.strErr;
}
#endif

TEST_F(CommandTest, ShowPrintsTheTreeOrJson)
{
    const CRun tree = RunCommand({L"show", TestDataPath(L"example")});
    EXPECT_EQ(tree.nExit, 0);
    EXPECT_EQ(tree.strOut,
              "Instance 1\n"
              "    Blank page\n        about:blank\n"
              "    Notes\n        /C:/My Docs/a.htm\n"
              "Instance 2\n"
              "    Blank page\n        about:blank\n");

    const CRun json = RunCommand({L"show", TestDataPath(L"unicode"), L"--json"});
    EXPECT_EQ(json.nExit, 0);
    const nlohmann::json session = nlohmann::json::parse(json.strOut);
    EXPECT_EQ(session["name"], "unicode");
    EXPECT_EQ(session["windows"].size(), 1u);
    EXPECT_EQ(session["windows"][0]["tabs"].size(), 2u);

    WriteBytes(Path(L"damaged"), InvalidUtf8File());
    const CRun damaged = RunCommand({L"show", Path(L"damaged")});
    EXPECT_EQ(damaged.nExit, 1);
    EXPECT_TRUE(damaged.strOut.empty());
    EXPECT_NE(damaged.strErr.find("quillmere: show: " + Bytes(Path(L"damaged")) + ": invalid UTF-8: "),
              std::string::npos)
        << damaged.strErr;

    // Control characters reach no terminal; the backslash is doubled, so the escapes read back.
    SaveSession(MakeSession(L"x", {{{L"http://a/?\x1b[2J", L"T\x1b]0;x\x07\\n\t\x7f\x85 \x9f\xa0é"}}}),
                m_folder.Path(), L"controls");
    EXPECT_EQ(RunCommand({L"show", Path(L"controls")}).strOut,
              "Instance 1\n    T\\x1b]0;x\\x07\\\\n\\t\\x7f\\u0085 \\u009f\u00a0é\n        http://a/?\\x1b[2J\n");
}

TEST_F(CommandTest, ExportWritesEachFormatAndNothingWhenAFileIsDamaged)
{
    SaveSession(MakeSession(L"x", {{{L"http://a/?x=1&y=2", L"<b>Tom & \"Jerry\"</b>'s"}, {L"http://b/", L"B"}},
                                   {{L"http://c/", L"C"}}}),
                m_folder.Path(), L"Q&A (1)");

    const CRun urls = RunCommand({L"export", Path(L"Q&A (1)"), TestDataPath(L"example"), L"--format", L"urls"});
    EXPECT_EQ(urls.nExit, 0);
    EXPECT_EQ(urls.strOut,
              "http://a/?x=1&y=2\nhttp://b/\n\nhttp://c/\n\nabout:blank\n/C:/My Docs/a.htm\n\nabout:blank\n");

    const CRun html = RunCommand({L"export", Path(L"Q&A (1)"), L"--format=html"});
    EXPECT_EQ(html.nExit, 0);
    const std::string& strHtml = html.strOut;
    EXPECT_EQ(strHtml.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n", 0), 0u);
    EXPECT_NE(strHtml.find(">Q&amp;A (1)</H3>\n"), std::string::npos) << strHtml;
    EXPECT_NE(strHtml.find("<DT><H3>Instance 2</H3>"), std::string::npos);
    EXPECT_NE(strHtml.find("<DT><A HREF=\"http://a/?x=1&amp;y=2\" ADD_DATE=\""), std::string::npos) << strHtml;
    EXPECT_NE(strHtml.find("\">&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;&#39;s</A>\n"), std::string::npos)
        << strHtml;
    // Every list that opens is closed.
    std::size_t nOpen = 0, nClose = 0;
    for (std::size_t n = 0; (n = strHtml.find("<DL><p>", n)) != std::string::npos; ++n)
        ++nOpen;
    for (std::size_t n = 0; (n = strHtml.find("</DL><p>", n)) != std::string::npos; ++n)
        ++nClose;
    EXPECT_EQ(nOpen, 4u);  // the root, the session, two windows
    EXPECT_EQ(nClose, nOpen);

    // One file gives an object, several an array; -o writes the file instead of the output.
    const CRun one = RunCommand({L"export", Path(L"Q&A (1)"), L"--format", L"json"});
    EXPECT_TRUE(nlohmann::json::parse(one.strOut).is_object());
    const CRun two = RunCommand({L"export", Path(L"Q&A (1)"), TestDataPath(L"version1"), L"--format", L"json",
                                 L"-o", Path(L"out.json")});
    EXPECT_EQ(two.nExit, 0);
    EXPECT_TRUE(two.strOut.empty());
    const nlohmann::json array = nlohmann::json::parse(ReadBytes(Path(L"out.json")));
    ASSERT_TRUE(array.is_array());
    ASSERT_EQ(array.size(), 2u);
    EXPECT_EQ(array[0]["windows"][0]["tabs"][0]["title"], "<b>Tom & \"Jerry\"</b>'s");
    EXPECT_EQ(array[1]["name"], "version1");

    WriteBytes(Path(L"damaged"), "QLMR ManualSave\r\n3\r\n");
    const CRun damaged = RunCommand({L"export", Path(L"Q&A (1)"), Path(L"damaged"), L"--format", L"json", L"-o",
                                     Path(L"damaged.json")});
    EXPECT_EQ(damaged.nExit, 1);
    EXPECT_FALSE(FileExists(Path(L"damaged.json")));
    EXPECT_NE(damaged.strErr.find(Bytes(Path(L"damaged")) + ": CManualSavedInstanceLoader::VerifyFileHeader() - "
                                                             "InvalidFileVersion"),
              std::string::npos)
        << damaged.strErr;
}

TEST_F(CommandTest, ImportWritesWhatTheWriterWritesAndGuardsNames)
{
    const std::string strList = "\xEF\xBB\xBFhttp://a/ | Alpha\r\nhttp://b/\r\n\r\n\r\n  http://c/ |  Gamma  \r\n";
    WriteBytes(Path(L"list.txt"), strList);
    const CRun run = RunCommand({L"import", L"--from", L"urls", Path(L"list.txt"), L"--name", L"Imported",
                                 L"--folder", m_folder.Path()});
    ASSERT_EQ(run.nExit, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("Imported: 2 windows, 3 tabs"), std::string::npos) << run.strOut;

    // Byte for byte what the writer makes of the same session; a missing title takes the
    // model's default.
    CTempFolder expected;
    SaveSession(MakeSession(L"x", {{{L"http://a/", L"Alpha"}, {L"http://b/", L"Blank page"}}, {{L"http://c/", L"Gamma"}}}),
                expected.Path(), L"Imported");
    EXPECT_EQ(ReadBytes(Path(L"Imported")), ReadBytes(expected.File(L"Imported")));

    // An existing name is kept unless --force.
    WriteBytes(Path(L"other.txt"), "http://z/\n");
    const CRun exists = RunCommand({L"import", L"--from", L"urls", Path(L"other.txt"), L"--name", L"Imported",
                                    L"--folder", m_folder.Path()});
    EXPECT_EQ(exists.nExit, 1);
    EXPECT_NE(exists.strErr.find("exists already"), std::string::npos) << exists.strErr;
    EXPECT_EQ(ReadBytes(Path(L"Imported")), ReadBytes(expected.File(L"Imported")));
    EXPECT_EQ(RunCommand({L"import", L"--from", L"urls", Path(L"other.txt"), L"--name", L"Imported", L"--folder",
                          m_folder.Path(), L"--force"})
                  .nExit,
              0);
    EXPECT_NE(ReadBytes(Path(L"Imported")).find("http://z/"), std::string::npos);

    // Every character the name dialog refuses, the full stop among them, and control characters.
    for (const wchar_t* pszName : {L"a\\b", L"a/b", L"a:b", L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b",
                                   L"v1.2", L"tab\there", L""})
    {
        const CRun refused = RunCommand({L"import", L"--from", L"urls", Path(L"other.txt"), L"--name", pszName,
                                         L"--folder", m_folder.Path()});
        EXPECT_EQ(refused.nExit, 2) << Bytes(pszName);
    }
    EXPECT_EQ(FolderNames(m_folder.Path()), (std::vector<std::wstring>{L"Imported", L"list.txt", L"other.txt"}));
}

std::string Repeated(const std::string& strText, std::size_t nTimes)
{
    std::string strOut;
    strOut.reserve(strText.size() * nTimes);
    for (std::size_t i = 0; i < nTimes; ++i)
        strOut += strText;
    return strOut;
}

// {"windows": [W windows of T tabs each]}
std::string JsonSession(std::size_t nWindows, std::size_t nTabs)
{
    const std::string strTabs = Repeated("{\"url\": \"a\"},", nTabs);
    const std::string strWindow = "{\"tabs\": [" + strTabs.substr(0, strTabs.size() - 1) + "]},";
    const std::string strWindows = Repeated(strWindow, nWindows);
    return "{\"windows\": [" + strWindows.substr(0, strWindows.size() - 1) + "]}";
}

TEST_F(CommandTest, ImportRefusesInputThatIsNoSession)
{
    const auto import = [this](const char* pszFrom, const std::string& strInput) {
        return RunCommand({L"import", L"--from", Utf8ToWide(pszFrom), L"-", L"--name", L"S", L"--folder",
                           m_folder.Path()},
                          L"", strInput);
    };
    const std::size_t nDeep = 150000;
    const char kNulList[] = "http://a/\nhttp://b/\0evil | ti\0tle\n";
    const struct
    {
        const char* pszFrom;
        std::string strInput;
        const char* pszMessage;
    } cases[] = {
        {"json", "{\"windows\": [", "not valid JSON"},
        {"json", "{\"windows\": []}", "\"windows\" is empty"},
        {"json", "{\"windows\": [{\"tabs\": [{\"title\": \"t\"}]}]}", "window 1, tab 1: \"url\" is missing"},
        {"json", "{\"windows\": [{\"tabs\": [{\"url\": \"u\"}]}, {\"tabs\": []}]}", "window 2: \"tabs\" is empty"},
        {"json", "[{\"windows\": []}, {\"windows\": []}]", "holds 2 sessions"},
        {"urls", "\n\n  \n", "no address in the list"},
        {"urls", "http://a/\n | title\n", "line 2: no address"},
        {"urls", "http://a/\xC3\n", "line 1: invalid UTF-8"},
        // The writer's refusal, with the tab it refused.
        {"json", "{\"windows\": [{\"tabs\": [{\"url\": \"u\"}]}, {\"tabs\": [{\"url\": \"v\"}, {\"url\": \"a\\tb\"}]}]}",
         "'S' was not saved: window 2, tab 2: CManualSavedInstanceSaver::Save() - UrlHasWhiteSpace"},
        // A NUL would cut the text it is in.
        {"urls", std::string(kNulList, sizeof(kNulList) - 1), "line 2: holds a NUL byte"},
        {"json", "{\"windows\": [{\"tabs\": [{\"url\": \"u\", \"title\": \"ti\\u0000tle\"}]}]}",
         "window 1, tab 1: \"title\" holds a NUL character"},
        // Refused while read: deep nesting, too many windows or tabs, too large an input.
        {"json", std::string(nDeep, '[') + std::string(nDeep, ']'), "nested more than 32 levels deep"},
        {"json", "[" + JsonSession(1, 65536) + "]", "window 1: more than 65535 tabs"},
        {"json", JsonSession(65536, 1), "more than 65535 windows"},
        {"urls", Repeated("a\n", 65536), "line 65536: more than 65535 tabs in window 1"},
        {"urls", "a\n\n" + Repeated("b\n", 65536), "line 65538: more than 65535 tabs in window 2"},
        {"urls", Repeated("a\n\n", 65536), "line 131071: more than 65535 windows"},
        {"urls", std::string(kMaxImportBytes + 1, 'a'), "standard input: larger than 4 MiB"},
    };
    for (const auto& c : cases)
    {
        const CRun run = import(c.pszFrom, c.strInput);
        EXPECT_EQ(run.nExit, 1) << c.pszMessage;
        EXPECT_NE(run.strErr.find(c.pszMessage), std::string::npos) << run.strErr;
    }
    EXPECT_TRUE(FolderNames(m_folder.Path()).empty());
}

// Every line end, and a title after each: a list with CR line ends is not one line.
TEST_F(CommandTest, ImportReadsEachLineEnd)
{
    CTempFolder expected;
    SaveSession(MakeSession(L"x", {{{L"http://a/", L"A"}, {L"http://b/", L"B"}}, {{L"http://c/", L"Blank page"}}}),
                expected.Path(), L"S");
    for (const char* pszEnd : {"\n", "\r\n", "\r"})
    {
        const std::string strEnd = pszEnd;
        const std::string strList = "http://a/ | A" + strEnd + "http://b/ | B" + strEnd + strEnd + "http://c/" + strEnd;
        const CRun run = RunCommand({L"import", L"--from", L"urls", L"-", L"--name", L"S", L"--folder",
                                     m_folder.Path(), L"--force"},
                                    L"", strList);
        ASSERT_EQ(run.nExit, 0) << run.strErr;
        EXPECT_EQ(ReadBytes(Path(L"S")), ReadBytes(expected.File(L"S"))) << static_cast<int>(pszEnd[0]);
    }
}

TEST_F(CommandTest, ImportExportImportGivesTheSameBytes)
{
    const std::string strJson = R"({"windows": [
        {"tabs": [{"url": "https://example.org/a?q=1&r=%20x", "title": "Quotes \" and <tags> & more"},
                  {"url": "https://例え.jp/パス", "title": "日本語のタイトル 😀"},
                  {"url": "about:blank"}]},
        {"tabs": [{"url": "http://b/", "title": null}]}]})";
    WriteBytes(Path(L"in.json"), strJson);
    ASSERT_EQ(RunCommand({L"import", L"--from", L"json", Path(L"in.json"), L"--name", L"First", L"--folder",
                          m_folder.Path()})
                  .nExit,
              0);
    ASSERT_EQ(RunCommand({L"export", Path(L"First"), L"--format", L"json", L"-o", Path(L"out.json")}).nExit, 0);
    ASSERT_EQ(RunCommand({L"import", L"--from", L"json", Path(L"out.json"), L"--name", L"Second", L"--folder",
                          m_folder.Path()})
                  .nExit,
              0);
    EXPECT_EQ(ReadBytes(Path(L"First")), ReadBytes(Path(L"Second")));

    // Through a list of addresses too, for tabs whose titles are the default.
    WriteBytes(Path(L"in.txt"), "http://a/\nhttps://例え.jp/\n\nhttp://c/\n");
    ASSERT_EQ(RunCommand({L"import", L"--from", L"urls", Path(L"in.txt"), L"--name", L"Third", L"--folder",
                          m_folder.Path()})
                  .nExit,
              0);
    const CRun urls = RunCommand({L"export", Path(L"Third"), L"--format", L"urls"});
    EXPECT_EQ(urls.strOut, ReadBytes(Path(L"in.txt")));

    // A version 1 file comes out as version 2 with the same windows and tabs.
    ASSERT_EQ(RunCommand({L"export", TestDataPath(L"version1"), L"--format", L"json", L"-o", Path(L"v1.json")}).nExit,
              0);
    ASSERT_EQ(RunCommand({L"import", L"--from", L"json", Path(L"v1.json"), L"--name", L"Fourth", L"--folder",
                          m_folder.Path()})
                  .nExit,
              0);
    EXPECT_EQ(RunCommand({L"show", Path(L"Fourth")}).strOut, RunCommand({L"show", TestDataPath(L"version1")}).strOut);
    EXPECT_EQ(ReadBytes(Path(L"Fourth")).substr(0, 18), "QLMR ManualSave\r\n2");
}

TEST(CommandUsage, UsageErrorsExitTwoAndHelpExitsZero)
{
    const std::vector<std::vector<std::wstring>> usageErrors = {
        {},
        {L"frobnicate"},
        {L"--bogus", L"list"},
        {L"list", L"--bogus"},
        {L"list", L"extra"},
        {L"check"},
        {L"show"},
        {L"show", L"a", L"b"},
        {L"export", L"a"},
        {L"export", L"a", L"--format", L"pdf"},
        {L"export", L"a", L"--format"},
        {L"export", L"a", L"--format", L"json", L"--format", L"html"},
        {L"import", L"--from", L"xml", L"f", L"--name", L"n"},
        {L"import", L"--from", L"urls", L"f"},
        {L"--folder", L"x", L"check", L"f"},
        {L"list", L"--json=yes"},
        // An empty folder is never taken for "none given", which means the user's own.
        {L"--folder=", L"list"},
        {L"--folder", L"", L"import", L"--from", L"urls", L"-", L"--name", L"n"},
        {L"list", L"--folder="},
        {L"--folder=a", L"--folder=b", L"list"},
    };
    const CTempFolder defaultFolder;
    for (const auto& args : usageErrors)
    {
        const CRun run = RunCommand(args, defaultFolder.Path(), "http://a/\n");
        EXPECT_EQ(run.nExit, 2) << (args.empty() ? "(none)" : WideToUtf8(args[0]));
        EXPECT_TRUE(run.strOut.empty());
        EXPECT_NE(run.strErr.find("Try 'quillmere "), std::string::npos) << run.strErr;
    }
    EXPECT_TRUE(FolderNames(defaultFolder.Path()).empty());

    for (const char* pszCommand : {"list", "check", "show", "export", "import"})
    {
        const CRun help = RunCommand({Utf8ToWide(pszCommand), L"--help"});
        EXPECT_EQ(help.nExit, 0);
        EXPECT_EQ(help.strOut.rfind(std::string("Usage: quillmere "), 0), 0u);
        EXPECT_NE(help.strOut.find(pszCommand), std::string::npos);
        EXPECT_EQ(RunCommand({L"help", Utf8ToWide(pszCommand)}).strOut, help.strOut);
    }
    EXPECT_EQ(RunCommand({L"--version"}).strOut, "1.4\n");
    EXPECT_NE(RunCommand({L"--help"}).strOut.find("Commands:"), std::string::npos);
}
}  // namespace
