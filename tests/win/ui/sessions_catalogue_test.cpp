// Reading the saved sessions when the page is made: which files are listed, and the boxes that
// ask about, or report, a file that cannot be read.
#include <gtest/gtest.h>

#include "sessions_page_host.h"

namespace
{
// A file whose first line is not the magic line.
const char kDamagedFile[] = "QLMR AutoSave\r\n2\r\n1\r\n[Instance 1]\r\n1\r\n11\r\nabout:blank\r\n10\r\nBlank page";
// A readable file but for its title, which is not UTF-8.
const char kNotUtf8File[] = "QLMR ManualSave\r\n2\r\n1\r\n[Instance 1]\r\n1\r\n11\r\nabout:blank\r\n3\r\nA\xff\xfe";

const wchar_t kLoadFailureQuestion[] =
    L"\r\rQuillmere was unable to load the file, possibly due to file corruption.  To stop seeing this message, "
    L"remove the file from your file system.\r\rIn the mean time, would you like to continue loading the other "
    L"sessions?";

class SessionsCatalogueTest : public SessionsFolderTest
{
protected:
    // Good sessions around one bad file, which is listed second; returns the listing order.
    std::vector<std::wstring> WriteFilesAround(const std::string& strBadContent)
    {
        WriteSessionFile(MakeSession(L"a-first", {1}));
        WriteRawSessionFile(L"b-old", strBadContent);
        WriteSessionFile(MakeSession(L"c-third", {2}));
        WriteSessionFile(MakeSession(L"d-fourth", {1, 1}));
        std::vector<std::wstring> listed = SessionFileNames();
        EXPECT_EQ(listed, (std::vector<std::wstring>{L"a-first", L"b-old", L"c-third", L"d-fourth"}))
            << "the folder lists its files in another order";
        return listed;
    }

    // The rows after opening a page over the folder, with boxes answered as queued.
    std::vector<std::wstring> ListedRows()
    {
        CSessionsPageHost host(m_current);
        std::vector<std::wstring> rows;
        RunHost(host, m_responder, [&](CSessionsPageHost&) {
            rows = RowNames(PageControl(host, IDC_SESSIONS_LIST));
            EXPECT_EQ(rows.size(), host.m_page.GetSavedSessions().size() + 1);
        });
        return rows;
    }

    CSession m_current = MakeSession(kCurrentSessionName, {1});
    CMessageBoxResponder m_responder;
};
}  // namespace

TEST_F(SessionsCatalogueTest, AnEmptyFolderListsTheCurrentSessionAlone)
{
    EXPECT_EQ(ListedRows(), std::vector<std::wstring>{kCurrentSessionName});
}

TEST_F(SessionsCatalogueTest, OnlyPlainFilesWithoutADotAreRead)
{
    WriteSessionFile(MakeSession(L"work", {1}));
    WriteSessionFile(MakeSession(L"notes.txt", {1}));
    WriteRawSessionFile(L".old", kDamagedFile);
    ASSERT_TRUE(::CreateDirectoryW(SessionFilePath(L"archive").c_str(), nullptr));
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"work"}));
    EXPECT_TRUE(::RemoveDirectoryW(SessionFilePath(L"archive").c_str()));
}

TEST_F(SessionsCatalogueTest, ADamagedFileAsksAndYesReadsTheOthers)
{
    WriteFilesAround(kDamagedFile);
    m_responder.Answer(IDYES);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first", L"c-third", L"d-fourth"}));

    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    const CMessageBoxRecord& box = m_responder.Boxes()[0];
    EXPECT_EQ(box.strCaption, L"Unable To Load Session");
    EXPECT_EQ(box.strText, std::wstring(L"Unable to load 'b-old'.\r"
                                        L"Reason: CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader.") +
                               kLoadFailureQuestion);
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
    // The file stays where it is.
    EXPECT_TRUE(SessionFileExists(L"b-old"));
}

TEST_F(SessionsCatalogueTest, ADamagedFileAnsweredNoStopsTheReading)
{
    WriteFilesAround(kDamagedFile);
    m_responder.Answer(IDNO);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first"}));
    EXPECT_EQ(m_responder.Boxes().size(), 1u);
}

TEST_F(SessionsCatalogueTest, TextThatIsNotUtf8EndsTheReadingAfterAnOkBox)
{
    WriteFilesAround(kNotUtf8File);
    m_responder.Answer(IDOK);
    EXPECT_EQ(ListedRows(), (std::vector<std::wstring>{kCurrentSessionName, L"a-first"}));

    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    const CMessageBoxRecord& box = m_responder.Boxes()[0];
    EXPECT_EQ(box.strCaption, L"Unable To Load Session");
    EXPECT_EQ(box.strText, L"Unable to load 'b-old'.\rReason: Unknown exception.");
    EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
    EXPECT_EQ(box.hOwner, nullptr);
}
