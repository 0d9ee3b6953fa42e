#include <gtest/gtest.h>

#include <map>
#include <regex>

#include <nlohmann/json.hpp>

#include "cli/session_import.h"
#include "session/manual_saved_instance_saver.h"
#include "session/text_conversion.h"
#include "tests/cli/cli_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
// A file whose title is not UTF-8: the reader raises its conversion exception.
const std::string kInvalidUtf8 = OneTabFile("\xFF");
const std::string kInstances = "CManualSavedInstanceLoader::";

std::string Bytes(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

std::string Repeated(const std::string& strText, std::size_t nTimes)
{
    std::string strOut;
    for (std::size_t i = 0; i < nTimes; ++i)
        strOut += strText;
    return strOut;
}

class CommandTest : public ::testing::Test
{
protected:
    std::wstring Path(const std::wstring& strName) const { return m_folder.File(strName); }

    // A session file written by the product's writer.
    void Save(CSession session, const std::wstring& strName, const std::wstring& strFolder = L"")
    {
        CManualSavedInstanceSaver saver;
        saver.SetFolder(strFolder.empty() ? m_folder.Path() : strFolder);
        saver.SetSession(&session);
        saver.Save(strName.c_str());
    }

    CRun Import(const char* pszFrom, const std::wstring& strFile, const std::wstring& strName,
                const std::string& strInput = "", bool bForce = false)
    {
        std::vector<std::wstring> args = {L"import", L"--from", Utf8ToWide(pszFrom), strFile, L"--name", strName,
                                          L"--folder", m_folder.Path()};
        if (bForce)
            args.push_back(L"--force");
        return RunCommand(args, L"", strInput);
    }

    CTempFolder m_folder;
};

TEST_F(CommandTest, CheckReportsEveryFileAndFailsWhenOneIsDamaged)
{
    WriteBytes(Path(L"bad-header"), "QLMR Other\r\n2\r\n");
    const std::string strWhole = OneTabFile("Blank page");
    WriteBytes(Path(L"truncated"), strWhole.substr(0, strWhole.size() - 5));
    WriteBytes(Path(L"not-utf8"), kInvalidUtf8);
    const std::string strExample = Bytes(TestDataPath(L"example"));

    const CRun good = RunCommand({L"check", TestDataPath(L"example"), TestDataPath(L"version1")});
    EXPECT_EQ(good.nExit, 0);
    EXPECT_EQ(good.strOut, strExample + ": ok, 2 windows, 3 tabs\n" + Bytes(TestDataPath(L"version1")) +
                               ": ok, 1 windows, 2 tabs\n");

    const CRun bad = RunCommand({L"check", Path(L"bad-header"), TestDataPath(L"example"), Path(L"truncated"),
                                 Path(L"not-utf8"), Path(L"missing"), m_folder.Path()});
    EXPECT_EQ(bad.nExit, 1);
    const std::regex expected(Bytes(Path(L"bad-header")) + ": " + kInstances + "VerifyFileHeader\\(\\) - InvalidFileHeader\n" +
                              strExample + ": ok, 2 windows, 3 tabs\n" + Bytes(Path(L"truncated")) + ": " + kInstances +
                              "ReadUrlItems\\(\\) - TitleLengthsDontMatch\n" +
                              // The system's own text for the failed conversion; a missing file is
                              // named as missing, not as a file with a bad header; a folder is no file.
                              Bytes(Path(L"not-utf8")) + ": invalid UTF-8: .{20,}\n" + Bytes(Path(L"missing")) +
                              ": cannot be opened: .{5,}\n" + Bytes(m_folder.Path()) + ": .{5,}\n");
    EXPECT_TRUE(std::regex_match(bad.strOut, expected)) << bad.strOut;
    EXPECT_EQ(bad.strErr, "");
}

TEST_F(CommandTest, ListShowsTheCatalogueAndSkipsDamagedFiles)
{
    Save(MakeSession(L"x", {{{L"http://a/", L"A"}, {L"http://b/", L"B"}}, {{L"http://c/", L"C"}}}), L"Work");
    Save(MakeSession(L"x", {{{L"http://d/", L"D"}}}), L"Ünïcode 会话");
    WriteBytes(Path(L"Broken"), kInvalidUtf8);
    WriteBytes(Path(L"Also broken"), "junk");
    WriteBytes(Path(L"notes.txt"), "not a session: a name with a dot is never listed");

    const CRun run = RunCommand({L"--folder", m_folder.Path(), L"list"});
    EXPECT_EQ(run.nExit, 0);
    // Both damaged files are reported: one bad file never hides the others.
    EXPECT_TRUE(std::regex_match(run.strErr, std::regex("quillmere: " + Bytes(Path(L"Also broken")) + ": " + kInstances +
                                                        "VerifyFileHeader\\(\\) - InvalidFileHeader\nquillmere: " +
                                                        Bytes(Path(L"Broken")) + ": invalid UTF-8: .{20,}\n")))
        << run.strErr;
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

    // The same as JSON, with the folder given after the command, and as --folder=.
    for (const auto& args : {std::vector<std::wstring>{L"list", L"--json", L"--folder", m_folder.Path()},
                             {L"--folder=" + m_folder.Path(), L"list", L"--json"}})
    {
        const CRun json = RunCommand(args);
        EXPECT_EQ(json.nExit, 0);
        const nlohmann::json list = nlohmann::json::parse(json.strOut);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0]["name"], "Work");
        EXPECT_EQ(list[0]["tabs"], 3);
        EXPECT_EQ(list[1]["name"], "Ünïcode 会话");
        EXPECT_TRUE(std::regex_match(list[0]["time"].get<std::string>(),
                                     std::regex("\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z")));
    }
}

TEST_F(CommandTest, ListAndImportUseTheAddOnsFolderByDefault)
{
    const CRun import = RunCommand({L"import", L"--from", L"urls", L"-", L"--name", L"Default"}, m_folder.Path(),
                                   "http://example.com/\n");
    ASSERT_EQ(import.nExit, 0) << import.strErr;
    EXPECT_EQ(import.strOut, "Default: 1 windows, 1 tabs saved in " + Bytes(m_folder.Path()) + "\n");
    EXPECT_EQ(RunCommand({L"list"}, m_folder.Path()).strOut.rfind("Default\t", 0), 0u);
}

// A folder that cannot be listed is a failure with the system's reason, never an empty list.
TEST_F(CommandTest, ListFailsWhenTheFolderCannotBeListed)
{
    WriteBytes(Path(L"file"), "not a folder");
    for (const std::wstring& strFolder : {Path(L"nowhere"), Path(L"file")})
    {
        for (const bool bJson : {false, true})
        {
            const CRun run = RunCommand({L"--folder", strFolder, L"list", bJson ? L"--json" : L"--"});
            EXPECT_EQ(run.nExit, 1);
            EXPECT_EQ(run.strOut, "");
            EXPECT_TRUE(std::regex_match(run.strErr, std::regex("quillmere: list: '" + Bytes(strFolder) +
                                                                "': the folder cannot be listed: .{5,}\n")))
                << run.strErr;
        }
    }
}

#ifndef _WIN32
// Names that no Windows file can have: control characters, and a link to nothing.
TEST_F(CommandTest, ListEscapesNamesAndSaysWhatIsWrongWithAnEntry)
{
    Save(MakeSession(L"x", {{{L"http://a/", L"A"}}}), L"a\tb\x1b[2J\x9b");
    ASSERT_EQ(symlink(Bytes(Path(L"nowhere")).c_str(), Bytes(Path(L"dangling")).c_str()), 0);
    WriteBytes(Path(L"bad\x1b]0;x\x07"), "junk");

    const CRun run = RunCommand({L"--folder", m_folder.Path(), L"list"});
    EXPECT_EQ(run.nExit, 0);
    EXPECT_EQ(run.strOut.rfind("a\\tb\\x1b[2J\\u009b\t", 0), 0u) << run.strOut;
    EXPECT_EQ(run.strErr, "quillmere: " + Bytes(Path(L"bad\\x1b]0;x\\x07")) + ": " + kInstances +
                              "VerifyFileHeader() - InvalidFileHeader\nquillmere: " + Bytes(Path(L"dangling")) +
                              ": a link to a file that does not exist\n");
}
#endif

TEST_F(CommandTest, FindPrintsTheMatchingTabsOfEverySessionInListsOrder)
{
    Save(MakeSession(L"x", {{{L"http://a/", L"Wetter"}, {L"http://b/", L"Start"}},
                            {{L"http://c/", L"Bahn in München"}, {L"http://d/?\x1b", L"Новости ΑΘΗΝΑ\tx"}}}),
         L"Reise");
    Save(MakeSession(L"x", {{{L"http://münchen.example/", L"Karte"}}}), L"Zürich");
    // The system lists the folder in an order of its own; find keeps it.
    std::vector<std::string> order;
    std::istringstream listed(RunCommand({L"list", L"--folder", m_folder.Path()}).strOut);
    for (std::string strLine; std::getline(listed, strLine);)
        order.push_back(strLine.substr(0, strLine.find('\t')));
    ASSERT_EQ(order.size(), 2u);

    const std::map<std::string, std::string> munich = {{"Reise", "Reise\t2\tBahn in München\thttp://c/\n"},
                                                       {"Zürich", "Zürich\t1\tKarte\thttp://münchen.example/\n"}};
    const struct
    {
        const wchar_t* pszText;
        std::map<std::string, std::string> found;
    } cases[] = {
        {L"wetter", {{"Reise", "Reise\t1\tWetter\thttp://a/\n"}}},
        // A title in one session, an address in the other; case, then accents.
        {L"MÜNCHEN", munich},
        {L"munchen", munich},
        {L"новости αθηνα", {{"Reise", "Reise\t2\tНовости ΑΘΗΝΑ\\tx\thttp://d/?\\x1b\n"}}},
        {L"nirgends", {}},
    };
    for (const auto& c : cases)
    {
        const CRun run = RunCommand({L"--folder", m_folder.Path(), L"find", c.pszText});
        EXPECT_EQ(run.nExit, c.found.empty() ? 1 : 0) << Bytes(c.pszText);
        std::string strExpected;
        for (const std::string& strName : order)
            strExpected += c.found.count(strName) ? c.found.at(strName) : "";
        EXPECT_EQ(run.strOut, strExpected);
        EXPECT_EQ(run.strErr, "");
    }

    const CRun json = RunCommand({L"find", L"munchen", L"--json", L"--folder", m_folder.Path()});
    EXPECT_EQ(json.nExit, 0);
    nlohmann::json expected = {
        {{"name", "Reise"}, {"window", 2}, {"title", "Bahn in München"}, {"url", "http://c/"}},
        {{"name", "Zürich"}, {"window", 1}, {"title", "Karte"}, {"url", "http://münchen.example/"}}};
    if (order[0] != "Reise")
        std::swap(expected[0], expected[1]);
    EXPECT_EQ(nlohmann::json::parse(json.strOut), expected);
    EXPECT_EQ(RunCommand({L"find", L"nirgends", L"--json", L"--folder", m_folder.Path()}).strOut, "[]\n");
}

// grep's 2: an unreadable file leaves the search incomplete, whatever was found.
TEST_F(CommandTest, FindReportsDamagedFilesAndMissingFoldersWithTwo)
{
    Save(MakeSession(L"x", {{{L"http://a/", L"Alpha"}}}), L"Work");
    WriteBytes(Path(L"Broken"), "junk");
    const std::string strBroken =
        "quillmere: " + Bytes(Path(L"Broken")) + ": " + kInstances + "VerifyFileHeader() - InvalidFileHeader\n";
    const CRun found = RunCommand({L"find", L"alpha", L"--folder", m_folder.Path()});
    EXPECT_EQ(found.nExit, 2);
    EXPECT_EQ(found.strOut, "Work\t1\tAlpha\thttp://a/\n");
    EXPECT_EQ(found.strErr, strBroken);
    const CRun none = RunCommand({L"find", L"omega", L"--json"}, m_folder.Path());
    EXPECT_EQ(none.nExit, 2);
    EXPECT_EQ(none.strOut, "[]\n");
    EXPECT_EQ(none.strErr, strBroken);

    const CRun nowhere = RunCommand({L"--folder", Path(L"nowhere"), L"find", L"alpha"});
    EXPECT_EQ(nowhere.nExit, 2);
    EXPECT_EQ(nowhere.strOut, "");
    EXPECT_EQ(nowhere.strErr.rfind("quillmere: find: '" + Bytes(Path(L"nowhere")) + "': the folder cannot be listed: ",
                                   0),
              0u)
        << nowhere.strErr;
}

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

    WriteBytes(Path(L"damaged"), kInvalidUtf8);
    const CRun damaged = RunCommand({L"show", Path(L"damaged")});
    EXPECT_EQ(damaged.nExit, 1);
    EXPECT_EQ(damaged.strOut, "");
    EXPECT_EQ(damaged.strErr.rfind("quillmere: show: " + Bytes(Path(L"damaged")) + ": invalid UTF-8: ", 0), 0u)
        << damaged.strErr;

    // Control characters reach no terminal; the backslash is doubled, so the escapes read back.
    Save(MakeSession(L"x", {{{L"http://a/?\x1b[2J", L"T\x1b]0;x\x07\\n\t\x7f\x85 \x9f\xa0é"}}}), L"controls");
    EXPECT_EQ(RunCommand({L"show", Path(L"controls")}).strOut,
              "Instance 1\n    T\\x1b]0;x\\x07\\\\n\\t\\x7f\\u0085 \\u009f\u00a0é\n        http://a/?\\x1b[2J\n");
}

TEST_F(CommandTest, ExportWritesEachFormatAndNothingWhenAFileIsDamaged)
{
    Save(MakeSession(L"x", {{{L"http://a/?x=1&y=2", L"<b>Tom & \"Jerry\"</b>'s"}, {L"http://b/", L"B"}},
                            {{L"http://c/", L"C"}}}),
         L"Q&A (1)");
    const std::wstring strSaved = Path(L"Q&A (1)");

    const CRun urls = RunCommand({L"export", strSaved, TestDataPath(L"example"), L"--format", L"urls"});
    EXPECT_EQ(urls.nExit, 0);
    EXPECT_EQ(urls.strOut,
              "http://a/?x=1&y=2\nhttp://b/\n\nhttp://c/\n\nabout:blank\n/C:/My Docs/a.htm\n\nabout:blank\n");

    const std::string strHtml = RunCommand({L"export", strSaved, L"--format=html"}).strOut;
    EXPECT_EQ(strHtml.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n", 0), 0u);
    EXPECT_NE(strHtml.find(">Q&amp;A (1)</H3>\n"), std::string::npos) << strHtml;
    EXPECT_NE(strHtml.find("<DT><A HREF=\"http://a/?x=1&amp;y=2\" ADD_DATE=\""), std::string::npos) << strHtml;
    EXPECT_NE(strHtml.find("\">&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;&#39;s</A>\n"), std::string::npos);

    // One file gives an object, several an array; -o writes the file instead of the output.
    EXPECT_TRUE(nlohmann::json::parse(RunCommand({L"export", strSaved, L"--format", L"json"}).strOut).is_object());
    const CRun two = RunCommand({L"export", strSaved, TestDataPath(L"version1"), L"--format", L"json", L"-o",
                                 Path(L"out.json")});
    EXPECT_EQ(two.nExit, 0);
    EXPECT_EQ(two.strOut, "");
    const nlohmann::json array = nlohmann::json::parse(ReadBytes(Path(L"out.json")));
    ASSERT_TRUE(array.is_array());
    ASSERT_EQ(array.size(), 2u);
    EXPECT_EQ(array[0]["windows"][0]["tabs"][0]["title"], "<b>Tom & \"Jerry\"</b>'s");
    EXPECT_EQ(array[1]["name"], "version1");

    WriteBytes(Path(L"damaged"), "QLMR ManualSave\r\n3\r\n");
    const CRun damaged = RunCommand({L"export", strSaved, Path(L"damaged"), L"--format", L"json", L"--output",
                                     Path(L"damaged.json")});
    EXPECT_EQ(damaged.nExit, 1);
    EXPECT_FALSE(FileExists(Path(L"damaged.json")));
    EXPECT_EQ(damaged.strErr, "quillmere: export: " + Bytes(Path(L"damaged")) + ": " + kInstances +
                                  "VerifyFileHeader() - InvalidFileVersion\n");
#ifndef _WIN32
    // A device is written to as it is, also through a link, which stays a link.
    ASSERT_EQ(symlink("/dev/zero", Bytes(Path(L"device")).c_str()), 0);
    const CRun device = RunCommand({L"export", strSaved, L"--format", L"urls", L"-o", Path(L"device")});
    EXPECT_EQ(device.nExit, 0) << device.strErr;
    struct stat st;
    ASSERT_EQ(lstat(Bytes(Path(L"device")).c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
#endif
}

TEST_F(CommandTest, ImportWritesWhatTheWriterWritesAndGuardsNames)
{
    // Every line end, a title after each, blank lines between windows, and a byte order mark.
    CTempFolder expected;
    Save(MakeSession(L"x", {{{L"http://a/", L"Alpha"}, {L"http://b/", L"Blank page"}}, {{L"http://c/", L"Gamma"}}}),
         L"Imported", expected.Path());
    for (const std::string strEnd : {"\n", "\r\n", "\r"})
    {
        const std::string strList = "\xEF\xBB\xBFhttp://a/ | Alpha" + strEnd + "http://b/" + strEnd + strEnd + strEnd +
                                    "  http://c/ |  Gamma  " + strEnd;
        const CRun run = Import("urls", L"-", L"Imported", strList, true);
        ASSERT_EQ(run.nExit, 0) << run.strErr;
        EXPECT_EQ(run.strOut, "Imported: 2 windows, 3 tabs saved in " + Bytes(m_folder.Path()) + "\n");
        EXPECT_EQ(ReadBytes(Path(L"Imported")), ReadBytes(expected.File(L"Imported"))) << static_cast<int>(strEnd[0]);
    }

    // An existing name is kept unless --force.
    WriteBytes(Path(L"other.txt"), "http://z/\n");
    const CRun exists = Import("urls", Path(L"other.txt"), L"Imported");
    EXPECT_EQ(exists.nExit, 1);
    EXPECT_EQ(exists.strErr, "quillmere: import: a session named 'Imported' exists already; --force replaces it\n");
    EXPECT_EQ(ReadBytes(Path(L"Imported")), ReadBytes(expected.File(L"Imported")));
    EXPECT_EQ(Import("urls", Path(L"other.txt"), L"Imported", "", true).nExit, 0);
    EXPECT_NE(ReadBytes(Path(L"Imported")).find("http://z/"), std::string::npos);

    // Every character the name dialog refuses, the full stop among them, and control characters.
    for (const wchar_t* pszName : {L"a\\b", L"a/b", L"a:b", L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b",
                                   L"v1.2", L"tab\there", L"\x1f", L"del\x7f", L""})
        EXPECT_EQ(Import("urls", Path(L"other.txt"), pszName).nExit, 2) << Bytes(pszName);
    EXPECT_EQ(FolderNames(m_folder.Path()), (std::vector<std::wstring>{L"Imported", L"other.txt"}));
}

// {"windows": [W windows of T tabs each]}
std::string JsonSession(std::size_t nWindows, std::size_t nTabs)
{
    const std::string strTabs = Repeated("{\"url\": \"a\"},", nTabs);
    const std::string strWindows = Repeated("{\"tabs\": [" + strTabs.substr(0, strTabs.size() - 1) + "]},", nWindows);
    return "{\"windows\": [" + strWindows.substr(0, strWindows.size() - 1) + "]}";
}

TEST_F(CommandTest, ImportRefusesInputThatIsNoSession)
{
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
        {"json", "{\"windows\": [{\"tabs\": 5}]}", "window 1: \"tabs\" is missing or not an array"},
        {"json", "{\"windows\": [{\"tab\": []}]}", "window 1: \"tabs\" is missing or not an array"},
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
        const CRun run = Import(c.pszFrom, L"-", L"S", c.strInput);
        EXPECT_EQ(run.nExit, 1) << c.pszMessage;
        EXPECT_NE(run.strErr.find(c.pszMessage), std::string::npos) << run.strErr;
    }
    EXPECT_TRUE(FolderNames(m_folder.Path()).empty());
}

TEST_F(CommandTest, ImportExportImportGivesTheSameBytes)
{
    WriteBytes(Path(L"in.json"), R"({"windows": [
        {"tabs": [{"url": "https://example.org/a?q=1&r=%20x", "title": "Quotes \" and <tags> & more"},
                  {"url": "https://例え.jp/パス", "title": "日本語のタイトル 😀"},
                  {"url": "about:blank"}]},
        {"tabs": [{"url": "http://b/", "title": null}]}]})");
    ASSERT_EQ(Import("json", Path(L"in.json"), L"First").nExit, 0);
    ASSERT_EQ(RunCommand({L"export", Path(L"First"), L"--format", L"json", L"-o", Path(L"out.json")}).nExit, 0);
    ASSERT_EQ(Import("json", Path(L"out.json"), L"Second").nExit, 0);
    EXPECT_EQ(ReadBytes(Path(L"First")), ReadBytes(Path(L"Second")));

    // Through a list of addresses too, for tabs whose titles are the default.
    WriteBytes(Path(L"in.txt"), "http://a/\nhttps://例え.jp/\n\nhttp://c/\n");
    ASSERT_EQ(Import("urls", Path(L"in.txt"), L"Third").nExit, 0);
    EXPECT_EQ(RunCommand({L"export", Path(L"Third"), L"--format", L"urls"}).strOut, ReadBytes(Path(L"in.txt")));

    // A version 1 file comes out as version 2 with the same windows and tabs.
    ASSERT_EQ(RunCommand({L"export", TestDataPath(L"version1"), L"--format", L"json", L"-o", Path(L"v1.json")}).nExit, 0);
    ASSERT_EQ(Import("json", Path(L"v1.json"), L"Fourth").nExit, 0);
    EXPECT_EQ(RunCommand({L"show", Path(L"Fourth")}).strOut, RunCommand({L"show", TestDataPath(L"version1")}).strOut);
    EXPECT_EQ(ReadBytes(Path(L"Fourth")).substr(0, 18), "QLMR ManualSave\r\n2");
}

TEST(CommandUsage, UsageErrorsExitTwoAndHelpExitsZero)
{
    const std::vector<std::vector<std::wstring>> usageErrors = {
        {}, {L"frobnicate"}, {L"--bogus", L"list"}, {L"list", L"--bogus"}, {L"list", L"extra"}, {L"check"},
        {L"show"}, {L"show", L"a", L"b"}, {L"export", L"a"}, {L"export", L"a", L"--format", L"pdf"},
        {L"export", L"a", L"--format"}, {L"export", L"a", L"--format", L"json", L"--format", L"html"},
        {L"import", L"--from", L"xml", L"f", L"--name", L"n"}, {L"import", L"--from", L"urls", L"f"},
        {L"import", L"--name", L"n", L"f"}, {L"--folder", L"x", L"check", L"f"}, {L"list", L"--json=yes"},
        {L"--folder"}, {L"-x"},
        // An empty folder is never taken for "none given", which means the user's own.
        {L"--folder=", L"list"}, {L"--folder", L"", L"import", L"--from", L"urls", L"-", L"--name", L"n"},
        {L"list", L"--folder="}, {L"--folder=a", L"--folder=b", L"list"},
        // No text, an empty one (every tab), two words.
        {L"find"}, {L"find", L""}, {L"find", L"a", L"b"}, {L"find", L"--json"},
    };
    const CTempFolder defaultFolder;
    for (const auto& args : usageErrors)
    {
        const CRun run = RunCommand(args, defaultFolder.Path(), "http://a/\n");
        EXPECT_EQ(run.nExit, 2) << (args.empty() ? "(none)" : WideToUtf8(args[0]));
        EXPECT_EQ(run.strOut, "");
        EXPECT_NE(run.strErr.find("\nTry 'quillmere "), std::string::npos) << run.strErr;
    }
    EXPECT_TRUE(FolderNames(defaultFolder.Path()).empty());

    for (const char* pszCommand : {"list", "check", "show", "find", "export", "import"})
    {
        const CRun help = RunCommand({Utf8ToWide(pszCommand), L"--help"});
        EXPECT_EQ(help.nExit, 0);
        EXPECT_EQ(help.strOut.rfind("Usage: quillmere ", 0), 0u);
        EXPECT_NE(help.strOut.find(pszCommand), std::string::npos);
        EXPECT_EQ(RunCommand({L"help", Utf8ToWide(pszCommand)}).strOut, help.strOut);
    }
    EXPECT_EQ(RunCommand({L"--version"}).strOut, "1.4\n");
    const CRun help = RunCommand({L"-h"});
    EXPECT_EQ(help.nExit, 0);
    EXPECT_NE(help.strOut.find("Commands:"), std::string::npos);
    EXPECT_EQ(RunCommand({L"--help"}).strOut, help.strOut);
}
}  // namespace
