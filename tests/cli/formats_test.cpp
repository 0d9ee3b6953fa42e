#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "cli/session_formats.h"
#include "cli/session_import.h"
#include "tests/native/test_support.h"

namespace
{
TEST(Formats, TimesAreIso8601InUtcWhateverTheLocalZone)
{
#ifndef _WIN32
    const char* pszZone = std::getenv("TZ");
    const std::string strZone = pszZone ? pszZone : "";
    setenv("TZ", "XYZ-9", 1);  // nine hours east of UTC, no zone files needed
    tzset();
#endif
    EXPECT_EQ(FormatUtcTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(FormatUtcTime(1700000000), "2023-11-14T22:13:20Z");
    // Session times are 64-bit: past 2038 alike.
    EXPECT_EQ(FormatUtcTime(4102444800), "2100-01-01T00:00:00Z");
#ifndef _WIN32
    EXPECT_EQ(FormatLocalTime(1700000000), "2023-11-15, 07:13");
    if (pszZone)
        setenv("TZ", strZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
#endif
}

TEST(Formats, BookmarkFileOfOneSession)
{
    const std::vector<CSession> sessions = {
        MakeSession(L"Morning", {{{L"http://a/", L"A & B"}}, {{L"http://c/?d=\"e\"", L"<C>"}}})};
    EXPECT_EQ(SessionsToBookmarksHtml(sessions),
              "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
              "<!-- This is an automatically generated file.\n"
              "     It will be read and overwritten.\n"
              "     DO NOT EDIT! -->\n"
              "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
              "<TITLE>Bookmarks</TITLE>\n"
              "<H1>Bookmarks</H1>\n"
              "<DL><p>\n"
              "    <DT><H3 ADD_DATE=\"1700000000\" LAST_MODIFIED=\"1700000000\">Morning</H3>\n"
              "    <DL><p>\n"
              "        <DT><H3>Instance 1</H3>\n"
              "        <DL><p>\n"
              "            <DT><A HREF=\"http://a/\" ADD_DATE=\"1700000000\">A &amp; B</A>\n"
              "        </DL><p>\n"
              "        <DT><H3>Instance 2</H3>\n"
              "        <DL><p>\n"
              "            <DT><A HREF=\"http://c/?d=&quot;e&quot;\" ADD_DATE=\"1700000000\">&lt;C&gt;</A>\n"
              "        </DL><p>\n"
              "    </DL><p>\n"
              "</DL><p>\n");
}

TEST(Formats, JsonKeepsEveryTabAndRefusesWrongShapes)
{
    const CSession session = MakeSession(L"S", {{{L"http://a/", L"Ä"}, {L"about:blank", L"Blank page"}}});
    const nlohmann::ordered_json json = SessionToJson(session);
    EXPECT_EQ(json.dump(), "{\"name\":\"S\",\"time\":\"2023-11-14T22:13:20Z\",\"windows\":[{\"tabs\":["
                           "{\"url\":\"http://a/\",\"title\":\"Ä\"},"
                           "{\"url\":\"about:blank\",\"title\":\"Blank page\"}]}]}");
    EXPECT_EQ(Describe(SessionFromJson(nlohmann::json::parse(json.dump()), L"T", 0)), Describe(session));

    for (const char* pszJson : {"[]", "{}", "{\"windows\": {}}", "{\"windows\": [1]}", "{\"windows\": [{}]}",
                                "{\"windows\": [{\"tabs\": {}}]}", "{\"windows\": [{\"tabs\": [{\"url\": 5}]}]}",
                                "{\"windows\": [{\"tabs\": [{\"url\": \"\"}]}]}",
                                "{\"windows\": [{\"tabs\": [{\"url\": \"u\", \"title\": 7}]}]}"})
        EXPECT_THROW(SessionFromJson(nlohmann::json::parse(pszJson), L"T", 0), CFormatError) << pszJson;
}

TEST(Formats, EscapesEveryControlCharacterAndTheBackslash)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain é ☕ | ~", "plain é ☕ | ~"},
        {"a\\b\\t", "a\\\\b\\\\t"},
        {"\t\n\r", "\\t\\n\\r"},
        {std::string("\0\x1b\x1f\x20\x7e\x7f", 6), "\\x00\\x1b\\x1f ~\\x7f"},
        {"\u0080\u0085\u009f\u00a0", "\\u0080\\u0085\\u009f\u00a0"},
        {"\xc2", "\xc2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EscapeControlCharacters(c.first), c.second) << c.first;
}

// The importers' fuzz target saves into memory: names never replace one another there either.
TEST(Formats, ImportIntoMemoryKeepsNames)
{
    CMemoryOs os;
    CSession session = ImportSession(EImportFormat::Urls, "http://a/ | A\n\nhttp://b/\n", L"n");
    SaveImportedSession(session, L"f", L"n", false, os);
    EXPECT_THROW(SaveImportedSession(session, L"f", L"n", false, os), CImportError);
    SaveImportedSession(session, L"f", L"n", true, os);
    EXPECT_TRUE(os.MoveFileKeepExisting(L"f/n", L"f/m"));
    EXPECT_FALSE(os.MoveFileKeepExisting(L"f/n", L"f/o"));
    SaveImportedSession(session, L"f", L"n", false, os);
    EXPECT_NE(os.RenameFile(L"f/n", L"f/m"), 0u);
    std::vector<CDirectoryEntry> entries;
    unsigned long nError = 1;
    ASSERT_TRUE(os.ListFolder(L"f", entries, nError));
    EXPECT_EQ(nError, 0u);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].strName + entries[1].strName, L"mn");
    EXPECT_FALSE(entries[0].bDirectory || entries[1].bDirectory);
    EXPECT_EQ(os.m_files[L"f/m"], os.m_files[L"f/n"]);
    EXPECT_NE(os.m_files[L"f/n"].find("http://b/"), std::string::npos);
}
}  // namespace
