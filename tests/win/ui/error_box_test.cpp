#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/exceptions.h"
#include "resources/resource.h"
#include "tests/support/harness/message_box_responder.h"
#include "ui/error_box.h"
#include "win/string_table.h"

TEST(StringTable, TextsComeFromTheModuleWithTheirLineBreaks)
{
    EXPECT_EQ(LoadResString(IDS_DATE_FORMAT), L"%Y-%m-%d, %H:%M");
    EXPECT_EQ(LoadResString(IDS_STD_EXCEPTION_REASON), L"%s.\rReason: %s.");
    EXPECT_EQ(LoadResString(9999), L"");
    EXPECT_EQ(FormatResString(IDS_INSTANCE_FORMAT, 3), L"Instance 3");
    EXPECT_EQ(FormatResString(IDS_FILE_ALREADY_EXISTS, L"work"), L"File 'work' already exists.");
    // Longer than any first guess at a buffer.
    const std::wstring strLong(1000, L'x');
    EXPECT_EQ(FormatResString(IDS_UNABLE_TO_LOAD_FILE, strLong.c_str()), L"Unable to load '" + strLong + L"'");
}

TEST(ErrorBox, ComposesCaptionAndReasonFromTheStringTable)
{
    CMessageBoxResponder responder;
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    ShowErrorBox(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT,
                 std::runtime_error("CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty"));
    ShowErrorBox(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT, std::runtime_error(""));
    ShowErrorBox(IDS_RENAME_CAPTION, IDS_RENAME_CONTEXT, CFileException(CFileException::accessDenied, 5, L"work"));
    ShowErrorBox(IDS_DELETE_CAPTION, IDS_DELETE_UNKNOWN);
    ShowErrorBox(IDS_UNABLE_TO_OPEN_URLS, std::wstring(L"given text"));

    const auto& boxes = responder.Boxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].strCaption, L"Unable To Save Current Session");
    EXPECT_EQ(boxes[0].strText, L"Unable to save the current session.\rReason: "
                                L"CManualSavedInstanceSaver::Save() - GetInstanceSetsCount() is empty.");
    EXPECT_EQ(boxes[1].strText, L"Unable to save the current session.\rReason: Unknown standard exception.");
    EXPECT_EQ(boxes[2].strCaption, L"Unable To Rename");
    EXPECT_EQ(boxes[2].strText, L"Unable to rename the file.\rReason: Access to 'work' was denied.");
    EXPECT_EQ(boxes[3].strText, L"Unable to delete the session.\rReason: unknown exception.");
    EXPECT_EQ(boxes[4].strText, L"given text");
    for (const auto& box : boxes)
    {
        EXPECT_EQ(box.hOwner, nullptr);
        EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
        EXPECT_EQ(box.buttonIds, std::vector<int>{IDOK});
    }
}

TEST(ErrorBox, AnActionReportsWhatItThrowsAndSaysWhetherItRan)
{
    CMessageBoxResponder responder;
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    responder.Answer(IDOK);
    int nRuns = 0;
    EXPECT_TRUE(RunReportingErrors(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT, IDS_SAVE_UNKNOWN, [&] { ++nRuns; }));
    EXPECT_EQ(nRuns, 1);
    EXPECT_TRUE(responder.Boxes().empty());

    EXPECT_FALSE(RunReportingErrors(IDS_RENAME_CAPTION, IDS_RENAME_CONTEXT, IDS_RENAME_UNKNOWN, [] {
        throw CFileException(CFileException::accessDenied, 5, L"work");
    }));
    EXPECT_FALSE(RunReportingErrors(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT, IDS_SAVE_UNKNOWN,
                                    [] { throw std::runtime_error("disk full"); }));
    EXPECT_FALSE(RunReportingErrors(IDS_DELETE_CAPTION, IDS_DELETE_CONTEXT, IDS_DELETE_UNKNOWN, [] { throw 1; }));

    std::vector<std::pair<std::wstring, std::wstring>> shown;  // caption, text
    for (const auto& box : responder.Boxes())
        shown.emplace_back(box.strCaption, box.strText);
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Unable To Rename", L"Unable to rename the file.\rReason: Access to 'work' was denied."},
        {L"Unable To Save Current Session", L"Unable to save the current session.\rReason: disk full."},
        {L"Unable To Delete", L"Unable to delete the session.\rReason: unknown exception."},
    };
    EXPECT_EQ(shown, expected);
}

TEST(ErrorBox, FrameworkExceptionWithoutAMessage)
{
    // A status code the system has no text for.
    const COleException e(static_cast<HRESULT_T>(0xA0FF1234));
    EXPECT_EQ(FormatExceptionMessage(e, L"Unable to save the current session"),
              L"Unable to save the current session.\rReason: Unknown MFC exception.");
    // The reason is at most 255 characters of the message.
    const CFileException longName(CFileException::fileNotFound, 2, std::wstring(400, L'n'));
    const std::wstring strText = FormatExceptionMessage(longName, L"c");
    EXPECT_EQ(strText.size(), std::wstring(L"c.\rReason: ").size() + 255 + 1);
}

TEST(ErrorBox, NamedMessages)
{
    EXPECT_EQ(FormatNamedMessage(L"old", IDS_UNABLE_TO_LOAD_FILE, IDS_UNABLE_TO_LOAD_UNKNOWN_FILE), L"Unable to load 'old'");
    EXPECT_EQ(FormatNamedMessage(L"", IDS_UNABLE_TO_LOAD_FILE, IDS_UNABLE_TO_LOAD_UNKNOWN_FILE),
              L"Unable to load (unknown) file.");
}
