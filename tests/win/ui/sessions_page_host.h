// What the Sessions page tests share: a host dialog that builds the page the way the main dialog
// does, sessions and session files to put on it, and input aimed at the page's controls.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog.h"
#include "harness/message_box_responder.h"
#include "session.h"
#include "sessions_tab_page.h"
#include "tab_control.h"

// A page in a tab control of a modal dialog: current session set, saved sessions read, then the
// page's window made, as the main dialog orders it; the list gets the focus when it is shown.
class CSessionsPageHost : public CDialog
{
public:
    explicit CSessionsPageHost(CSession& currentSession);

    CSessionsTabPage m_page;
    CTabControl m_tabs;
    // Cleared to make the page without a current session.
    bool m_bGiveCurrentSession = true;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnShowWindow(BOOL bShow, UINT nStatus) override;

private:
    CSession& m_currentSession;
};

// Runs the host modally. fnDrive runs inside its loop once it is visible; the host is closed with
// IDCANCEL afterwards unless fnDrive ended it. Boxes go to the given responder.
INT_PTR RunHost(CSessionsPageHost& host, CMessageBoxResponder& responder,
                const std::function<void(CSessionsPageHost&)>& fnDrive);

// A session whose windows hold the given numbers of tabs; tab j of window i is
// "Page i.j" at http://example.com/i/j (both from 1).
CSession MakeSession(const std::wstring& strName, std::initializer_list<int> tabsPerWindow, std::time_t time = 0);

// The session folder of this prefix, and its files.
std::wstring SessionFolder();
std::wstring SessionFilePath(const std::wstring& strName);
bool SessionFileExists(const std::wstring& strName);
// Removes every file of the session folder.
void EmptySessionFolder();
// Writes the session with the product's writer under its own name.
void WriteSessionFile(const CSession& session);
void WriteRawSessionFile(const std::wstring& strName, const std::string& strBytes);
std::vector<std::wstring> SessionFileNames();

// Input aimed at the page.
HWND PageControl(CSessionsPageHost& host, int nId);
void ClickButton(HWND hButton);
void ClickListRow(HWND hList, int nRow);
int SelectedRow(HWND hList);
std::wstring RowText(HWND hList, int nRow, int nColumn);
std::vector<std::wstring> RowNames(HWND hList);
// Clicks the tick box of a tree node.
void ClickTickBox(CCustomTreeChildCtrl& tree, HTREEITEM hItem);

// Every node of the tree as "text" lines, tabs indented by two spaces, with their check values.
std::vector<std::wstring> TreeLines(CSessionColumnTreeCtrl& tree);

// The titles of a session's tabs, windows separated by " | ": "Page 1.1, Page 1.2 | Page 2.1".
std::wstring Describe(const CSession& session);

std::wstring WindowText(HWND hWnd);

// Handles the next session name dialog: expects the proposal, then enters the name and presses
// Enter, or presses Escape when the name is empty.
void AnswerNameDialog(CMessageBoxResponder& responder, const std::wstring& strExpectedProposal,
                      const std::wstring& strName);

// Empties the session folder before and after each test.
class SessionsFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { EmptySessionFolder(); }
    void TearDown() override
    {
        EmptySessionFolder();
        EXPECT_TRUE(SessionFileNames().empty());
    }
};
