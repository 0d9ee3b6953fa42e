// What the tests of the session manager window share: a session folder of their own for one
// test, sessions written with the product's writer, the dialog run modally with a test driving it
// from inside its loop through the product's pre-translation, and input aimed at its controls.
#pragma once

#include <windows.h>

#include <ctime>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "demo/support/session_folder_aside.h"
#include "resources/resource.h"
#include "session/session.h"
#include "tests/support/harness/message_box_responder.h"
#include "ui/session_manager_dialog.h"
#include "ui/sessions_tab_page.h"

namespace ui_test
{
// The prefix's session folder, set aside for one test (renamed) and put back afterwards; the test
// gets an empty folder of the same path.
class CScratchSessionFolder
{
public:
    CScratchSessionFolder();
    ~CScratchSessionFolder();
    CScratchSessionFolder(const CScratchSessionFolder&) = delete;
    CScratchSessionFolder& operator=(const CScratchSessionFolder&) = delete;

    const std::wstring& Path() const { return m_strPath; }
    std::wstring FilePath(const std::wstring& strName) const { return m_strPath + L"\\" + strName; }
    bool Exists(const std::wstring& strName) const;
    // The plain files, in the order the folder lists them.
    std::vector<std::wstring> FileNames() const;
    // Writes the session under its name with the product's writer.
    void Write(const CSession& session) const;
    void WriteRaw(const std::wstring& strName, const std::string& strBytes) const;
    // Puts a plain file where the folder was: no listing of it can even start.
    void ReplaceWithFile() const;

private:
    std::unique_ptr<CSessionFolderAside> m_pAside;
    std::wstring m_strPath;
};

// 2024-03-05 14:07 UTC: a fixed time, so that the Date column does not change from run to run.
constexpr std::time_t kFixedTime = 1709647620;

// A session whose windows hold the given numbers of tabs: tab j of window i is "Page i.j" at
// http://example.com/i/j (both from 1).
CSession MakeSession(const std::wstring& strName, std::initializer_list<int> tabsPerWindow,
                     std::time_t time = kFixedTime);

// Today's local date as "2024-03-05": the name proposed for the current session.
std::wstring Today();

// The titles of a session's tabs, windows separated by " | ": "Page 1.1, Page 1.2 | Page 2.1".
std::wstring Describe(const CSession& session);

// Runs the dialog modally; fnDrive is called inside its loop once it is shown and the list has
// the focus, with the harness pumping through the product's pre-translation. A dialog that
// fnDrive leaves open is closed with Close.
INT_PTR RunDialog(CSessionManagerDialog& dialog, CMessageBoxResponder& responder,
                  const std::function<void(HWND hDialog)>& fnDrive);

// A child's rectangle in its parent's client area.
RECT ChildRect(HWND hWnd);
std::wstring WindowText(HWND hWnd);
void ClickButton(HWND hButton);

void ClickListRow(HWND hList, int nRow, bool bDouble = false);
int SelectedRow(HWND hList);
std::wstring RowText(HWND hList, int nRow, int nColumn);
std::vector<std::wstring> RowNames(HWND hList);
void ClickTickBox(CCustomTreeChildCtrl& tree, HTREEITEM hItem);
// Every node of the tree as "title @ address [check]", tabs indented by two spaces.
std::vector<std::wstring> TreeLines(CSessionColumnTreeCtrl& tree);

// Handles the next session name dialog: expects the proposal, then enters the name and presses
// Enter, or presses Escape when the name is empty.
void AnswerNameDialog(CMessageBoxResponder& responder, const std::wstring& strExpectedProposal,
                      const std::wstring& strName);

// A session manager dialog over a scratch session folder, with a current session of two windows.
class SessionManagerTest : public ::testing::Test
{
protected:
    // Opens a new dialog and drives it; the result of DoModal.
    INT_PTR Run(const std::function<void()>& fnDrive);

    CSessionManagerDialog& Dialog() { return *m_pDialog; }
    CSessionsTabPage& Page() { return *m_pDialog->GetSessionsTabPage(); }
    HWND PageControl(int nId) { return ::GetDlgItem(Page().m_hWnd, nId); }
    HWND List() { return Page().GetSessionsList().m_hWnd; }
    CCustomTreeChildCtrl& Tree() { return Page().GetSessionTree().GetTreeCtrl(); }
    std::vector<std::wstring> Lines() { return TreeLines(Page().GetSessionTree()); }
    // The list's row of a saved session.
    int RowOf(const std::wstring& strName);

    CScratchSessionFolder m_folder;
    CSession m_current = MakeSession(kCurrentSessionName, {3, 1});
    std::unique_ptr<CSessionManagerDialog> m_pDialog;
    CMessageBoxResponder m_responder;
};
}  // namespace ui_test
