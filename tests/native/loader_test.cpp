#include <gtest/gtest.h>

#include <functional>

#include "base/exceptions.h"
#include "session/manual_saved_instance_loader.h"
#include "session/text_conversion.h"
#include "tests/native/test_support.h"

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
    try
    {
        CManualSavedInstanceLoader().LoadSession(stream, &result.session);
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

const char* const kSmallestLines[] = {"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank",
                                      "10", "Blank page"};
const std::wstring kSmallestSession = L"[1] <about:blank|Blank page>";

// The smallest file with one line replaced.
std::string WithLine(std::size_t nLine, const std::string& strText)
{
    std::string strOut;
    for (std::size_t i = 0; i < 9; ++i)
        strOut += (i ? "\r\n" : "") + (i == nLine ? strText : std::string(kSmallestLines[i]));
    return strOut;
}
const std::string kSmallest = WithLine(9, "");

std::string Message(const std::function<void()>& fn)
{
    try
    {
        fn();
    }
    catch (const std::exception& e)
    {
        return e.what();
    }
    return "";
}
}  // namespace

TEST(Loader, RefusesNearMissesWithTheCheckThatFailed)
{
    const std::string kHeader = "CManualSavedInstanceLoader::VerifyFileHeader() - ";
    const std::string kInstances = "CManualSavedInstanceLoader::ReadInstances() - ";
    const std::string kItems = "CManualSavedInstanceLoader::ReadUrlItems() - ";
    std::string strLf = kSmallest;
    for (std::string::size_type n; (n = strLf.find("\r\n")) != std::string::npos;)
        strLf.erase(n, 1);
    const std::pair<std::string, std::string> cases[] = {
        {"", kHeader + "InvalidFileHeader"},
        {WithLine(0, "QLMR ManualSave "), kHeader + "InvalidFileHeader"},
        {WithLine(0, "qlmr ManualSave"), kHeader + "InvalidFileHeader"},
        {WithLine(1, "3"), kHeader + "InvalidFileVersion"},
        {WithLine(1, "2 "), kHeader + "InvalidFileVersion"},
        {WithLine(2, ""), kInstances + "InvalidIntSize"},
        {WithLine(2, "000001"), kInstances + "InvalidIntSize"},
        {WithLine(2, "0"), kInstances + "InvalidNumberOfInstances"},
        {WithLine(2, "65536"), kInstances + "InvalidNumberOfInstances"},
        {WithLine(3, "Instance 1"), kInstances + "InvalidInstanceTag"},
        {WithLine(4, "0"), "ReadInt() - InvalidInt"},
        {WithLine(4, "-3"), "ReadInt() - InvalidInt"},
        {WithLine(4, "abc"), "ReadInt() - InvalidInt"},
        {WithLine(4, "99999"), "ReadInt() - InvalidInt"},
        {WithLine(4, "123456"), "ReadInt() - InvalidIntSize"},
        {WithLine(4, ""), "ReadInt() - InvalidIntSize"},
        {WithLine(5, "12"), kItems + "UrlLengthsDontMatch"},
        {WithLine(5, "10"), kItems + "UrlLengthsDontMatch"},
        {WithLine(6, "about: blank"), kItems + "UrlLengthsDontMatch"},
        {WithLine(7, "11"), kItems + "TitleLengthsDontMatch"},
        {WithLine(8, "Blank page "), kItems + "TitleLengthsDontMatch"},
        {WithLine(8, "Blank pag\xC3"), "framework exception"},  // invalid UTF-8, right length
        {WithLine(6, "about:blan\xFF"), "framework exception"},
        // Two windows announced, one present: the file ends where the second tag should be.
        {WithLine(2, "2"), kInstances + "InvalidInstanceTag"},
        // The tag fits no 98-character buffer: it passes its own check and the count after it fails.
        {WithLine(3, "[Instance 1]" + std::string(100, 'x')), "ReadInt() - InvalidIntSize"},
        // Counts convert as the C library does; only the order of the tags counts, not their text.
        {WithLine(7, "010"), ""},
        {WithLine(7, "10ab"), ""},
        {WithLine(7, " 10"), ""},
        {WithLine(7, "+10"), ""},
        {WithLine(2, " 1"), ""},
        {WithLine(3, "[Instance 9]"), ""},
        {WithLine(3, "x[Instance"), ""},
        // Bare line feeds, a last line end, and bytes after the last window.
        {strLf, ""},
        {kSmallest + "\r\n", ""},
        {kSmallest + "\r\n[Instance 2]\r\ngarbage", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.first);
        const CLoadResult result = LoadBytes(c.first);
        EXPECT_EQ(result.strError, c.second);
        if (c.second.empty())
        {
            EXPECT_EQ(Describe(result.session), kSmallestSession);
        }
    }
}

TEST(Loader, ReadsFilesFromDiskAndChecksItsArguments)
{
    CTempFolder folder;
    WriteBytes(folder.File(L"one"), kSmallest);
    const std::wstring strPath = folder.File(L"one");
    CSession session(L"one", 5);
    CManualSavedInstanceLoader loader;
    loader.SetFilePath(strPath.c_str());
    loader.LoadSession(&session);
    EXPECT_EQ(Describe(session), kSmallestSession);
    EXPECT_EQ(session.GetTime(), 5);

    const std::wstring strExample = TestDataPath(L"example");
    loader.SetFilePath(strExample.c_str());
    CSession example(L"e", 0);
    loader.LoadSession(&example);
    EXPECT_EQ(Describe(example),
              L"[1] <about:blank|Blank page> </C:/My Docs/a.htm|Notes> [2] <about:blank|Blank page>");

    const std::string kLoad = "CManualSavedInstanceLoader::LoadSession() - ";
    EXPECT_EQ(Message([] { CManualSavedInstanceLoader().SetFilePath(nullptr); }),
              "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is NULL");
    EXPECT_EQ(Message([] { CManualSavedInstanceLoader().SetFilePath(L""); }),
              "CManualSavedInstanceLoader::SetFilePath() - pchFilePath is empty");
    EXPECT_EQ(Message([&] { CManualSavedInstanceLoader().LoadSession(&session); }), kLoad + "m_pchFilePath is NULL");
    EXPECT_EQ(Message([&] { loader.LoadSession(nullptr); }), kLoad + "pSession is NULL");
    // The loader borrows the caller's path: one emptied after SetFilePath is caught.
    wchar_t szPath[] = L"x";
    loader.SetFilePath(szPath);
    szPath[0] = L'\0';
    EXPECT_EQ(Message([&] { loader.LoadSession(&session); }), kLoad + "m_pchFilePath is empty");
    // What cannot be opened as a file, a folder included, reads as empty.
    for (const std::wstring& strMissing : {folder.File(L"missing"), folder.Path()})
    {
        loader.SetFilePath(strMissing.c_str());
        EXPECT_EQ(Message([&] { loader.LoadSession(&session); }),
                  "CManualSavedInstanceLoader::VerifyFileHeader() - InvalidFileHeader");
    }
}

TEST(Loader, UnescapesOnlyFileAddresses)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"mhtml:file://C:\\Docs\\My%20Report.mht", L"C:\\Docs\\My Report.mht"},
        {L"file:///C:/My%20Docs/a.htm", L"/C:/My Docs/a.htm"},
        {L"http://a/%20b", L"http://a/%20b"},
        {L"file://a%2", L"a%2"},
        {L"file://%20%20", L"  "},
        {L"file://%2x%30", L"%2x%30"},
        {L"file://x", L"x"},
        {L"mhtml:file://y", L"y"},
        {L"file:/", L"file:/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnescapeFileUrl(c.first), c.second) << c.first;
}

TEST(Loader, LengthLimitsOfTitlesAndAddresses)
{
    const std::string strHead = CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "11", "about:blank"}) + "\r\n";
    const std::string kTitles = "CManualSavedInstanceLoader::ReadUrlItems() - TitleLengthsDontMatch";
    const std::string kUrls = "CManualSavedInstanceLoader::ReadUrlItems() - UrlLengthsDontMatch";
    const std::string strUrlHead = CrLfLines({"QLMR ManualSave", "2", "1", "[Instance 1]", "1", "65535", ""});
    // 600 bytes (the most the writer stores) and 1198 bytes load, as the last line or not; a
    // longer title does not fit the line buffer whatever its stored length. An address longer than
    // any the writer stores is refused without being read whole.
    const std::pair<std::string, std::string> cases[] = {
        {strHead + "600\r\n" + std::string(600, 't'), ""},
        {strHead + "1198\r\n" + std::string(1198, 't') + "\r\n", ""},
        {strHead + "1198\r\n" + std::string(1200, 't'), kTitles},
        {strHead + "1199\r\n" + std::string(1199, 't'), kTitles},
        {strHead + "1200\r\n" + std::string(1200, 't'), kTitles},
        {strUrlHead + std::string(65535, 'a') + "\r\n1\r\nt", ""},
        {strUrlHead + std::string(65536, 'a') + "\r\n1\r\nt", kUrls},
        {strUrlHead + std::string(8 << 20, 'a'), kUrls},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadBytes(c.first).strError, c.second) << c.first.size();
    EXPECT_EQ(LoadBytes(cases[1].first).session.GetInstanceSet(0)->GetUrlItem(0)->GetTitle().size(), 1198u);
}

TEST(Loader, KeepsTheWindowsReadBeforeAFailure)
{
    const CLoadResult result = LoadBytes(WithLine(2, "2") + "\r\n[Instance 2]");
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
    const std::wstring strTitle = Utf8ToWide("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Describe(LoadBytes(strV1).session),
              L"[1] <file:///C:/x%20\u00C3\u00A9.htm|" + strTitle + L"> <about:blank|Blank page>");
    EXPECT_EQ(Describe(LoadBytes(strV2).session),
              L"[1] </C:/x \u00E9.htm|" + strTitle + L"> <about:blank|Blank page>");
    EXPECT_EQ(LoadBytes(ReadBytes(TestDataPath(L"version1"))).session.GetUrlItemsCount(), 2);
}

TEST(Loader, EveryTruncationFailsAndNoBitFlipGivesMoreThanTheFileHolds)
{
    const std::string strFile = CrLfLines({"QLMR ManualSave", "2", "2", "[Instance 1]", "2", "22",
                                           "http://a.example/x%20y", "7", "A title", "11", "about:blank", "10",
                                           "Blank page", "[Instance 2]", "1", "9", "http://b/", "5",
                                           "\xC3\xA9t\xC3\xA9"});
    const std::wstring strWhole = Describe(LoadBytes(strFile).session);
    EXPECT_EQ(strWhole, L"[1] <http://a.example/x%20y|A title> <about:blank|Blank page> [2] <http://b/|" +
                            Utf8ToWide("\xC3\xA9t\xC3\xA9") + L">");
    for (std::size_t n = 0; n < strFile.size(); ++n)
    {
        const CLoadResult result = LoadBytes(strFile.substr(0, n));
        if (result.strError.empty())
        {
            EXPECT_EQ(Describe(result.session), strWhole) << "prefix of " << n << " bytes";
        }
        for (unsigned char flip : {0x01, 0x20, 0x80})
        {
            std::string strDamaged = strFile;
            strDamaged[n] = static_cast<char>(strDamaged[n] ^ flip);
            const CLoadResult damaged = LoadBytes(strDamaged);
            if (damaged.strError.empty())
            {
                EXPECT_LE(damaged.session.GetUrlItemsCount(), 3) << "byte " << n;
            }
        }
    }
}
