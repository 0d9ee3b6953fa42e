// Answers the message boxes that the code under test shows, and drives its other dialogs from
// inside their own modal loops.
//
// A thread CBT hook notices every top-level dialog window the thread creates or activates. Once
// such a window is visible (a modal dialog is shown only when its loop first goes idle), a timer
// of the harness, dispatched by that very loop, looks at it:
//  - a message box is recorded (owner, caption, text, buttons, icon) and answered with the next
//    queued answer by posting WM_COMMAND with the button's id. A box with no queued answer, or
//    whose answer is not one of its buttons, fails the running test with its caption and text and
//    is dismissed with its cancel action (Cancel, else the only button, else No, else the first);
//  - any other dialog is passed to the next queued dialog handler, which runs inside the dialog's
//    loop and may type, click and close it. With no handler queued the dialog is left alone.
//
// Responders nest: the newest one alive on the thread answers. The test program's main keeps one
// for every test case with nothing queued, so a box that no test expected fails that test at once.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct CMessageBoxRecord
{
    HWND hOwner = nullptr; // the box's owner window, null for none
    std::wstring strCaption;
    std::wstring strText;              // the text as the box holds it
    std::vector<std::wstring> buttons; // button texts in z-order (with their '&')
    std::vector<int> buttonIds;        // their command ids (IDOK, IDYES, ...)
    UINT nIcon = 0;                    // MB_ICONSTOP, MB_ICONQUESTION, MB_ICONEXCLAMATION,
                                       // MB_ICONINFORMATION, MB_USERICON (another) or 0
    int nPressed = 0;                  // the id that was pressed
};

class CMessageBoxResponder
{
public:
    CMessageBoxResponder();
    // Fails the running test for answers and dialog handlers that were never used.
    ~CMessageBoxResponder();
    CMessageBoxResponder(const CMessageBoxResponder&) = delete;
    CMessageBoxResponder& operator=(const CMessageBoxResponder&) = delete;

    // Queues the answer (a button id) for the next message box, first in, first out. fnWhileShown,
    // when given, runs inside the box's loop before the answer is pressed.
    void Answer(int nButtonId, std::function<void(HWND hBox)> fnWhileShown = nullptr);

    // Queues a handler for the next dialog that is not a message box, first in, first out. It is
    // called with the dialog's window once that is visible, from inside the dialog's own loop.
    // Dialogs already visible when it is queued (a modeless one the test opened) do not take it.
    void OnDialogActivated(std::function<void(HWND hDialog)> fnHandler);

    // Every message box seen while this responder was the newest, in the order they appeared.
    // A deque: a record a test holds stays in place when the next box is recorded.
    const std::deque<CMessageBoxRecord>& Boxes() const { return m_boxes; }

    // Reads a message box's contents; false when the window is not a message box.
    static bool ReadMessageBox(HWND hWnd, CMessageBoxRecord& record);

private:
    friend class CDialogWatch;

    void HandleMessageBox(HWND hBox, CMessageBoxRecord record);
    void HandleDialog(HWND hDialog);

    struct CAnswer
    {
        int nButtonId;
        std::function<void(HWND hBox)> fnWhileShown;
    };
    std::deque<CAnswer> m_answers;
    std::deque<std::function<void(HWND)>> m_dialogHandlers;
    std::deque<CMessageBoxRecord> m_boxes;
};
