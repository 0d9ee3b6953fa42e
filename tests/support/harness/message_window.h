// A hidden message-only window of the calling thread. Its messages are dispatched by whatever
// loop the thread runs at the time (a modal dialog's, a message box's, a control's drag loop), so
// the harness acts from inside those loops through its timers and posted messages.
#pragma once

#include <windows.h>

#include <functional>

class CMessageWindow
{
public:
    using Handler = std::function<void(UINT nMessage, WPARAM wParam, LPARAM lParam)>;

    explicit CMessageWindow(Handler fnHandler);
    ~CMessageWindow();
    CMessageWindow(const CMessageWindow&) = delete;
    CMessageWindow& operator=(const CMessageWindow&) = delete;

    HWND GetHwnd() const { return m_hWnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam);

    Handler m_fnHandler;
    HWND m_hWnd = nullptr;
};
