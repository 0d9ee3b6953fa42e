#include <gtest/gtest.h>

#include "resources/resource.h"
#include "session/session_folder.h"
#include "tests/support/harness/input.h"
#include "tests/support/harness/message_box_responder.h"
#include "ui/filename_edit.h"
#include "ui/session_name_dialog.h"
#include "win/common_controls.h"
#include "win/dialog.h"

namespace
{
void SetClipboardText(HWND hOwner, const std::wstring& strText)
{
    ASSERT_TRUE(OpenClipboard(hOwner));
    EmptyClipboard();
    const SIZE_T nBytes = (strText.size() + 1) * sizeof(wchar_t);
    HGLOBAL hMemory = GlobalAlloc(GMEM_MOVEABLE, nBytes);
    memcpy(GlobalLock(hMemory), strText.c_str(), nBytes);
    GlobalUnlock(hMemory);
    SetClipboardData(CF_UNICODETEXT, hMemory);
    CloseClipboard();
}

std::wstring Text(HWND hWnd)
{
    return CWnd::FromHandle(hWnd)->GetWindowText();
}

std::pair<int, int> Selection(HWND hEdit)
{
    DWORD nStart = 0, nEnd = 0;
    SendMessageW(hEdit, EM_GETSEL, reinterpret_cast<WPARAM>(&nStart), reinterpret_cast<LPARAM>(&nEnd));
    return {static_cast<int>(nStart), static_cast<int>(nEnd)};
}

// The name field alone, in the name dialog's own template, with its beeps counted.
class CCountingFilenameEdit : public CFilenameEdit
{
public:
    int m_nBeeps = 0;

protected:
    void Beep() override { ++m_nBeeps; }
};

class CEditHost : public CDialog
{
public:
    CEditHost() : CDialog(IDD_SESSION_NAME) {}
    CCountingFilenameEdit m_edit;

protected:
    void DoDataExchange(CDataExchange& dx) override { DDX_Control(dx, IDC_FILE_NAME, m_edit); }
};

class FilenameEditTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create(IDD_SESSION_NAME, nullptr));
        m_host.ShowWindow(SW_SHOW);
        m_host.m_edit.SetLimitText(50);
        m_host.m_edit.SetFocus();
    }

    CEditHost m_host;
};

// A unique name that has no file in the session folder.
std::wstring FreshName(const wchar_t* pszStem)
{
    return std::wstring(pszStem) + std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(GetCurrentProcessId());
}

HWND FileNameField(HWND hDialog)
{
    return GetDlgItem(hDialog, IDC_FILE_NAME);
}
}  // namespace

TEST_F(FilenameEditTest, RefusedCharactersTypedBeepAndAreDroppedAndAPasteHoldingOneIsUndoneWhole)
{
    CCountingFilenameEdit& edit = m_host.m_edit;
    const std::wstring strFull(48, L'x');
    const struct
    {
        const char* pszWhat;
        std::wstring strStart;
        int nSelStart, nSelEnd;
        bool bPaste;
        std::wstring strInput, strExpected;
        int nBeeps;
    } cases[] = {
        {"typed", L"", 0, 0, false, L"a\\b/c:d*e?f\"g<h>i|j.k l-m", L"abcdefghijk l-m", 10},
        {"pasted with a slash", L"keep this", 2, 6, true, L"bad/name", L"keep this", 1},
        {"pasted with a dot", L"keep this", 2, 6, true, L"v2.0", L"keep this", 1},
        {"pasted", L"keep this", 2, 6, true, L"ok ", L"keok his", 0},
        {"pasted up to the limit of 50", strFull, 48, 48, true, L"abcdef", strFull + L"ab", 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pszWhat);
        edit.SetWindowText(c.strStart);
        edit.SetSel(c.nSelStart, c.nSelEnd);
        edit.m_nBeeps = 0;
        if (c.bPaste)
        {
            SetClipboardText(m_host.m_hWnd, c.strInput);
            edit.SendMessage(WM_PASTE);
        }
        else
        {
            TypeText(edit.m_hWnd, c.strInput);
        }
        EXPECT_EQ(Text(edit.m_hWnd), c.strExpected);
        EXPECT_EQ(edit.m_nBeeps, c.nBeeps);
        if (c.bPaste && c.nBeeps > 0)
        {
            EXPECT_EQ(Selection(edit.m_hWnd), std::make_pair(c.nSelStart, c.nSelEnd));
        }
    }
}

TEST(SessionNameDialog, ShowsALongProposalWholeButTypingStopsAt50)
{
    const std::wstring strProposal = FreshName(L"p") + std::wstring(60, L'n');
    const std::wstring strSixty = strProposal.substr(strProposal.size() - 60);
    CMessageBoxResponder responder;
    responder.OnDialogActivated([&](HWND hDialog) {
        const HWND hEdit = FileNameField(hDialog);
        EXPECT_EQ(Text(hEdit), strSixty);
        EXPECT_EQ(GetFocus(), hEdit);
        PressKey(hEdit, VK_END);
        TypeText(hEdit, L"more");  // over the limit already: nothing goes in
        EXPECT_EQ(Text(hEdit), strSixty);
        PressKey(hEdit, VK_RETURN);
    });
    CSessionNameDialog dialog(strSixty.c_str(), CSessionNameDialog::kModeSave);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    std::wstring strName;
    dialog.GetFileName(strName);
    EXPECT_EQ(strName, strSixty);

    CMessageBoxResponder typing;
    typing.OnDialogActivated([&](HWND hDialog) {
        const HWND hEdit = FileNameField(hDialog);
        SetWindowTextW(hEdit, L"");
        TypeText(hEdit, std::wstring(55, L't'));
        EXPECT_EQ(Text(hEdit), std::wstring(50, L't'));
        PressKey(hEdit, VK_ESCAPE);
    });
    CSessionNameDialog limited(L"", CSessionNameDialog::kModeSave);
    EXPECT_EQ(limited.DoModal(), IDCANCEL);
}

TEST(SessionNameDialog, RefusesAnExistingNameUnderTheCaptionOfItsMode)
{
    std::wstring strFolder;
    GetSessionFolder(strFolder);
    const std::wstring strName = FreshName(L"exists-");
    const std::wstring strPath = strFolder + L"\\" + strName;
    CloseHandle(CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));

    const struct
    {
        int nMode;
        const wchar_t* pszCaption;
    } modes[] = {{CSessionNameDialog::kModeSave, L"Unable To Save File"},
                 {CSessionNameDialog::kModeRename, L"Unable To Rename File"}};
    for (const auto& mode : modes)
    {
        CMessageBoxResponder responder;
        HWND hShown = nullptr;
        responder.Answer(IDOK);
        responder.OnDialogActivated([&](HWND hDialog) {
            hShown = hDialog;
            PressKey(FileNameField(hDialog), VK_RETURN);
            // The box was answered; the dialog stays with the name unchanged.
            EXPECT_TRUE(IsWindowVisible(hDialog));
            EXPECT_EQ(Text(FileNameField(hDialog)), strName);
            PressKey(FileNameField(hDialog), VK_ESCAPE);
        });
        CSessionNameDialog dialog(strName.c_str(), mode.nMode);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        ASSERT_EQ(responder.Boxes().size(), 1u);
        const CMessageBoxRecord& box = responder.Boxes()[0];
        EXPECT_EQ(box.strCaption, mode.pszCaption);
        EXPECT_EQ(box.strText, L"File '" + strName + L"' already exists.");
        EXPECT_EQ(box.hOwner, hShown);
        EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONSTOP));
    }
    DeleteFileW(strPath.c_str());
}

TEST(SessionNameDialog, OpensWithTheCaretAfterTheProposalEveryLabelOnOneLineAndOkOnlyWithAName)
{
    const std::wstring strProposal = L"2024-03-05";
    CMessageBoxResponder responder;
    responder.OnDialogActivated([&](HWND hDialog) {
        const HWND hEdit = FileNameField(hDialog);
        EXPECT_EQ(GetFocus(), hEdit);
        const int nEnd = static_cast<int>(strProposal.size());
        EXPECT_EQ(Selection(hEdit), std::make_pair(nEnd, nEnd))
            << "nothing selected, the caret at the end";

        // Every label is widened to its text rather than wrapped, and stays inside the dialog.
        RECT rcDialog{};
        GetClientRect(hDialog, &rcDialog);
        size_t nLabels = 0;
        for (HWND hChild = GetWindow(hDialog, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        {
            wchar_t szClass[16] = L"";
            GetClassNameW(hChild, szClass, 16);
            const std::wstring strText = Text(hChild);
            if (_wcsicmp(szClass, L"Static") != 0 || strText.empty())
                continue;
            ++nLabels;
            SCOPED_TRACE(testing::Message() << "label of " << strText.size() << " characters");
            RECT rcLabel{};
            GetWindowRect(hChild, &rcLabel);
            MapWindowPoints(nullptr, hDialog, reinterpret_cast<POINT*>(&rcLabel), 2);
            EXPECT_LE(rcLabel.right, rcDialog.right);
            HDC hDC = GetDC(hChild);
            const HGDIOBJ hOld = SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(hChild, WM_GETFONT, 0, 0)));
            RECT rcText{};
            DrawTextW(hDC, strText.c_str(), -1, &rcText, DT_CALCRECT | DT_SINGLELINE);
            SelectObject(hDC, hOld);
            ReleaseDC(hChild, hDC);
            EXPECT_LE(rcText.right, rcLabel.right - rcLabel.left) << "the text would wrap";
        }
        EXPECT_EQ(nLabels, 2u);

        // OK is available only with a name; there is no close box.
        EXPECT_EQ(GetWindowLongPtrW(hDialog, GWL_STYLE) & WS_SYSMENU, 0);
        const HWND hOk = GetDlgItem(hDialog, IDOK);
        EXPECT_TRUE(IsWindowEnabled(hOk));
        SetWindowTextW(hEdit, L"");
        EXPECT_FALSE(IsWindowEnabled(hOk));
        TypeText(hEdit, L"x");
        EXPECT_TRUE(IsWindowEnabled(hOk));
        PressKey(hEdit, VK_BACK);
        EXPECT_FALSE(IsWindowEnabled(hOk));
        PressKey(hEdit, VK_RETURN);  // nothing to accept: the dialog stays
        EXPECT_TRUE(IsWindowVisible(hDialog));
        PressKey(hEdit, VK_ESCAPE);
    });
    CSessionNameDialog dialog(strProposal.c_str(), CSessionNameDialog::kModeSave);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}
