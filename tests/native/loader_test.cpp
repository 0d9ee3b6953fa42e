#include <gtest/gtest.h>

#include "exceptions.h"
#include "manual_saved_instance_loader.h"
#include "manual_saved_instance_saver.h"
#include "test_support.h"
#include "text_conversion.h"

namespace
{
struct CLoadResult
{
    std::string strError;  // the exception's text; "framework exception" for a CException
    CSession session{L"s", 0};
};

CLoadResult LoadBytes(const std::string& strBytes)
{
    CLoadResult result;
    CSessionFileStream stream(strBytes.data(), strBytes.size());
    CManualSavedInstanceLoader loader;
    try
    {
        loader.LoadSession(stream, &result.session);
    }
    catch (const CException&)
    {
        result.strError = "framework exception";
    }
    catch (const std::exception& e)
    {
        result.strError = e.what();
    }
    return result;
}

std::string Written(CSession session)
{
    CTempFolder folder;
    CManualSavedInstanceSaver saver;
    saver.SetSession(&session);
    saver.SetFolder(folder.Path());
    saver.Save(L"f");
    return ReadBytes(folder.File(L"f"));
}

const std::string kSmallest =
    CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank", "10", "Blank page"});

// The smallest file with one line replaced.
std::string WithLine(std::size_t nLine, const char* pszText)
{
    std::vector<std::string> lines;
    std::string::size_type nStart = 0;
    for (;;)
    {
        const std::string::size_type nEnd = kSmallest.find("\r\n", nStart);
        lines.push_back(kSmallest.substr(nStart, nEnd - nStart));
        if (nEnd == std::string::npos)
            break;
        nStart = nEnd + 2;
    }
    lines[nLine] = pszText;
    std::string strOut;
    for (std::size_t i = 0; i < lines.size(); ++i)
        strOut += (i ? "\r\n" : "") + lines[i];
    return strOut;
}
}  // namespace

TEST(Loader, ReadsTheSmallestFileFromDisk)
{
    CTempFolder folder;
    WriteBytes(folder.File(L"one"), kSmallest);
    const std::wstring strPath = folder.File(L"one");
    CSession session(L"one", 5);
    CManualSavedInstanceLoader loader;
    loader.SetFilePath(strPath.c_str());
    loader.LoadSession(&session);
    EXPECT_EQ(Describe(session), L"[1] <about:blank|Blank page>");
    EXPECT_EQ(session.GetName(), L"one");
    EXPECT_EQ(session.GetTime(), 5);
}

TEST(Loader, ReadsTheWorkedExample)
{
    const CLoadResult result = LoadBytes(ReadBytes(TestDataPath(L"example")));
    ASSERT_EQ(result.strError, "");
    EXPECT_EQ(Describe(result.session),
              L"[1] <about:blank|Blank page> </C:/My Docs/a.htm|Notes> [2] <about:blank|Blank page>");
}

TEST(Loader, RefusesNearMissesWithTheCheckThatFailed)
{
    const struct
    {
        std::string strBytes;
        const char* pszError;
    } cases[] = {
        {"", "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader"},
        {WithLine(0, "QLMR ManualSave "), "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader"},
        {WithLine(0, "qlmr ManualSave"), "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader"},
        {WithLine(1, "3"), "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileVersion"},
        {WithLine(1, "2 "), "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileVersion"},
        {WithLine(2, ""), "CManualSavedInstanceLoader::ReadInstances() - InvalidIntSize"},
        {WithLine(2, "000001"), "CManualSavedInstanceLoader::ReadInstances() - InvalidIntSize"},
        {WithLine(2, "0"), "CManualSavedInstanceLoader::ReadInstances() - InvalidNumberOfInstances"},
        {WithLine(2, "65536"), "CManualSavedInstanceLoader::ReadInstances() - InvalidNumberOfInstances"},
        {WithLine(3, "Instance 1"), "CManualSavedInstanceLoader::ReadInstances() - InvalidInstanceTag"},
        {WithLine(4, "0"), "ReadInt() - InvalidInt"},
        {WithLine(4, "-3"), "ReadInt() - InvalidInt"},
        {WithLine(4, "abc"), "ReadInt() - InvalidInt"},
        {WithLine(4, "99999"), "ReadInt() - InvalidInt"},
        {WithLine(4, "123456"), "ReadInt() - InvalidIntSize"},
        {WithLine(4, "1234567890123"), "ReadInt() - InvalidIntSize"},
        {WithLine(4, ""), "ReadInt() - InvalidIntSize"},
        {WithLine(5, "12"), "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch"},
        {WithLine(5, "10"), "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch"},
        {WithLine(6, "about: blank"), "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch"},
        {WithLine(7, "11"), "CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch"},
        {WithLine(8, "Blank page "), "CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch"},
        {WithLine(8, "Blank pag\xC3"), "framework exception"},  // invalid UTF-8, right length
        {WithLine(6, "about:blan\xFF"), "framework exception"},
        // Two windows announced, one present: the file ends where the second tag should be.
        {WithLine(2, "2"), "CManualSavedInstanceLoader::ReadInstances() - InvalidInstanceTag"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.strBytes);
        EXPECT_EQ(LoadBytes(c.strBytes).strError, c.pszError);
    }
}

TEST(Loader, ReadIntConvertsAsTheCLibraryDoes)
{
    EXPECT_EQ(Describe(LoadBytes(WithLine(7, "010")).session), L"[1] <about:blank|Blank page>");
    EXPECT_EQ(LoadBytes(WithLine(7, "10ab")).strError, "");
    EXPECT_EQ(LoadBytes(WithLine(7, " 10")).strError, "");
    EXPECT_EQ(LoadBytes(WithLine(2, " 1")).strError, "");
    EXPECT_EQ(LoadBytes(WithLine(3, "[Instance 9]")).strError, "");
    EXPECT_EQ(LoadBytes(WithLine(3, "x[Instance")).strError, "");
}

TEST(Loader, AcceptsBareLineFeedsAndIgnoresTrailingBytes)
{
    std::string strLf = kSmallest;
    for (std::string::size_type n; (n = strLf.find("\r\n")) != std::string::npos;)
        strLf.erase(n, 1);
    EXPECT_EQ(Describe(LoadBytes(strLf).session), L"[1] <about:blank|Blank page>");
    EXPECT_EQ(Describe(LoadBytes(kSmallest + "\r\n").session), L"[1] <about:blank|Blank page>");
    EXPECT_EQ(LoadBytes(kSmallest + "\r\n[Instance 2]\r\ngarbage").strError, "");
}

TEST(Loader, UnescapesOnlyFileAddresses)
{
    EXPECT_EQ(UnescapeFileUrl(L"mhtml:file://C:\\Docs\\My%20Report.mht"), L"C:\\Docs\\My Report.mht");
    EXPECT_EQ(UnescapeFileUrl(L"file:///C:/My%20Docs/a.htm"), L"/C:/My Docs/a.htm");
    EXPECT_EQ(UnescapeFileUrl(L"http://a/%20b"), L"http://a/%20b");
    EXPECT_EQ(UnescapeFileUrl(L"file://a%2"), L"a%2");
    EXPECT_EQ(UnescapeFileUrl(L"file://%20%20"), L"  ");

    const CLoadResult mhtml = LoadBytes(CrLfLines(
        {"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "25", "mhtml:file://C:\\a%20b.mht", "1", "t"}));
    EXPECT_EQ(mhtml.strError, "");
    EXPECT_EQ(mhtml.session.GetInstanceSet(0)->GetUrlItem(0)->GetUrl(), L"C:\\a b.mht");
}

TEST(Loader, TitleLimits)
{
    const std::string strHead = CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank"});
    // 600 bytes (the most the writer stores) and 1198 bytes load, as the last line or not.
    for (std::size_t nBytes : {600u, 1198u})
    {
        const std::string strTitle(nBytes, 't');
        const std::string strFile = strHead + "\r\n" + std::to_string(nBytes) + "\r\n" + strTitle;
        EXPECT_EQ(LoadBytes(strFile).session.GetInstanceSet(0)->GetUrlItem(0)->GetTitle().size(), nBytes);
        EXPECT_EQ(LoadBytes(strFile + "\r\n").strError, "");
    }
    // A longer title does not fit the line buffer and is refused whatever its stored length.
    for (const char* pszLength : {"1198", "1199", "1200"})
    {
        const std::string strFile = strHead + "\r\n" + pszLength + "\r\n" + std::string(1200, 't');
        EXPECT_EQ(LoadBytes(strFile).strError, "CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch");
    }
}

TEST(Loader, AnOverlongAddressIsRefusedWithoutBeingReadWhole)
{
    const std::string strHead = CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "65535", ""});
    EXPECT_EQ(LoadBytes(strHead + std::string(65535, 'a') + "\r\n1\r\nt").strError, "");
    EXPECT_EQ(LoadBytes(strHead + std::string(65536, 'a') + "\r\n1\r\nt").strError,
              "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch");
    EXPECT_EQ(LoadBytes(strHead + std::string(8 << 20, 'a')).strError,
              "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch");
}

TEST(Loader, AnOverlongLineFailsTheNextRead)
{
    // The tag fits no 98-character buffer: it passes its own check and the count after it fails.
    const std::string strTag = "[Instance 1]" + std::string(100, 'x');
    EXPECT_EQ(LoadBytes(WithLine(3, strTag.c_str())).strError, "ReadInt() - InvalidIntSize");
}

TEST(Loader, KeepsTheWindowsReadBeforeAFailure)
{
    const std::string strFile = WithLine(2, "2") + "\r\n[Instance 2]";
    const CLoadResult result = LoadBytes(strFile);
    EXPECT_EQ(result.strError, "ReadInt() - InvalidIntSize");
    EXPECT_EQ(result.session.GetInstanceSetsCount(), 1);
}

TEST(Loader, ReadsFormatVersion1)
{
    // The same lines as a version 2 file: addresses keep "%20" and take each byte as one character.
    const std::string strV2 = CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "2", "21",
                                         "file:///C:/x%20\xC3\xA9.htm", "5", "\xC3\xA9t\xC3\xA9", "11",
                                         "about:blank", "10", "Blank page"});
    std::string strV1 = strV2;
    strV1[17] = '1';
    const CLoadResult v1 = LoadBytes(strV1);
    const CLoadResult v2 = LoadBytes(strV2);
    ASSERT_EQ(v1.strError, "");
    ASSERT_EQ(v2.strError, "");
    const std::wstring strTitle = Utf8ToWide("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Describe(v1.session), L"[1] <file:///C:/x%20\u00C3\u00A9.htm|" + strTitle + L"> <about:blank|Blank page>");
    EXPECT_EQ(Describe(v2.session), L"[1] </C:/x \u00E9.htm|" + strTitle + L"> <about:blank|Blank page>");

    const CLoadResult shipped = LoadBytes(ReadBytes(TestDataPath(L"version1")));
    EXPECT_EQ(shipped.strError, "");
    EXPECT_GT(shipped.session.GetUrlItemsCount(), 0);
}

TEST(Loader, ArgumentChecks)
{
    const auto message = [](auto fn) {
        try
        {
            fn();
        }
        catch (const std::exception& e)
        {
            return std::string(e.what());
        }
        return std::string();
    };
    CSession session(L"s", 0);
    EXPECT_EQ(message([] { CManualSavedInstanceLoader().SetFilePath(nullptr); }),
              "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is NULL");
    EXPECT_EQ(message([] { CManualSavedInstanceLoader().SetFilePath(L""); }),
              "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is empty");
    EXPECT_EQ(message([&] { CManualSavedInstanceLoader().LoadSession(&session); }),
              "CManualSavedInstanceLoader::LoadSession() - m_pchFilePath is NULL");
    EXPECT_EQ(message([] {
                  CManualSavedInstanceLoader loader;
                  loader.SetFilePath(L"x");
                  loader.LoadSession(nullptr);
              }),
              "CManualSavedInstanceLoader::LoadSession() - pSession is NULL");
    // The loader borrows the caller's path: one emptied after SetFilePath is caught.
    EXPECT_EQ(message([&] {
                  wchar_t szPath[] = L"x";
                  CManualSavedInstanceLoader loader;
                  loader.SetFilePath(szPath);
                  szPath[0] = L'\0';
                  loader.LoadSession(&session);
              }),
              "CManualSavedInstanceLoader::LoadSession() - m_pchFilePath is empty");
    CTempFolder folder;
    // What cannot be opened as a file, a folder included, reads as empty.
    for (const std::wstring& strPath : {folder.File(L"missing"), folder.Path()})
        EXPECT_EQ(message([&] {
                      CManualSavedInstanceLoader loader;
                      loader.SetFilePath(strPath.c_str());
                      loader.LoadSession(&session);
                  }),
                  "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
}

TEST(Loader, EveryTruncationFailsOrGivesTheWholeSession)
{
    const CSession original = MakeSession(L"x", {{{L"http://a.example/x y", L"A title"}, {L"about:blank", L"Blank page"}},
                                                 {{L"file:///C:/My Docs/a.htm", L"\u00e9t\u00e9"}}});
    const std::string strFile = Written(original);
    const std::wstring strWhole = Describe(LoadBytes(strFile).session);
    for (std::size_t n = 0; n < strFile.size(); ++n)
    {
        const CLoadResult result = LoadBytes(strFile.substr(0, n));
        if (result.strError.empty())
        {
            EXPECT_EQ(Describe(result.session), strWhole) << "prefix of " << n << " bytes";
        }
    }
}

TEST(Loader, DamagedBytesNeverGiveMoreThanTheFileHolds)
{
    const std::string strFile = Written(MakeSession(L"x", {{{L"http://a/", L"A"}, {L"http://b/", L"B"}}}));
    for (std::size_t i = 0; i < strFile.size(); ++i)
    {
        for (unsigned char flip : {0x01, 0x20, 0x80})
        {
            std::string strDamaged = strFile;
            strDamaged[i] = static_cast<char>(strDamaged[i] ^ flip);
            const CLoadResult result = LoadBytes(strDamaged);
            if (result.strError.empty())
            {
                EXPECT_LE(result.session.GetUrlItemsCount(), 2) << "byte " << i;
            }
        }
    }
}
