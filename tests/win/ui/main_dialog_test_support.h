// What the tests of the session manager window share: a session folder of their own for one
// test, sessions written with the product's writer, the product's pre-translation for input
// pumped by the harness, and the dialog run modally with a test driving it from inside its loop.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "harness/message_box_responder.h"
#include "session.h"
#include "session_manager_dialog.h"

namespace main_dialog_test
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
    // Writes the session under its name with the product's writer.
    void Write(const CSession& session) const;
    // Puts a plain file where the folder was: no listing of it can even start.
    void ReplaceWithFile() const;

private:
    void RemoveScratch() const;

    std::wstring m_strPath;
    std::wstring m_strAside;
};

// A session whose windows hold the given numbers of tabs: tab j of window i is "Tab i.j" at
// https://site.example/i/j (both from 1).
CSession MakeSession(const std::wstring& strName, std::initializer_list<int> tabsPerWindow);

// The tabs of a session as "title url" lines, windows separated by "|".
std::wstring Describe(const CSession& session);

// Offers a message to the product's window objects from its target up to the top-level window,
// as the product's modal loop does; true when one took it.
bool ProductPreTranslate(MSG& msg);

// Runs the dialog modally; fnDrive is called inside its loop once it is shown and the list has
// the focus, with the harness pumping through the product's pre-translation. A dialog that
// fnDrive leaves open is closed with Close.
INT_PTR RunDialog(CSessionManagerDialog& dialog, CMessageBoxResponder& responder,
                  const std::function<void(HWND hDialog)>& fnDrive);

// A child's rectangle in its parent's client area.
RECT ChildRect(HWND hWnd);
// A rectangle of dialog units of that dialog in pixels.
RECT DialogUnits(HWND hDialog, int x, int y, int cx, int cy);
std::wstring WindowText(HWND hWnd);
void ClickButton(HWND hButton);
}  // namespace main_dialog_test
