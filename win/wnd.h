// One object per window handle. A CWnd either creates its window, subclasses an existing one (a
// control of a dialog template), or merely wraps a handle it does not own. Messages reach the
// object through one static window procedure, which unpacks each message once and calls a small
// virtual handler; a handler that wants the window's own behaviour calls Default().
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

class CWnd
{
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object bound to a window, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // The bound object, or a wrapper kept for the thread's life that does not own the window;
    // null only for a null handle.
    static CWnd* FromHandle(HWND hWnd);

    // Creates a window whose messages reach this object from the first one on: a system control
    // keeps its class name and is subclassed as it is created. Returns false when it could not be
    // created.
    bool CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD dwStyle,
                  const RECT& rect, HWND hParent, UINT nId);

    // Routes an existing window's messages through this object.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT nId, CWnd* pParent);
    HWND UnsubclassWindow();
    // Wraps a handle without taking its messages or its life.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach();

    BOOL DestroyWindow();

    // Thin calls on the handle.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void GetWindowRect(RECT* pRect) const { ::GetWindowRect(m_hWnd, pRect); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void ScreenToClient(POINT* pPoint) const { ::ScreenToClient(m_hWnd, pPoint); }
    void ScreenToClient(RECT* pRect) const;
    void ClientToScreen(POINT* pPoint) const { ::ClientToScreen(m_hWnd, pPoint); }
    void ClientToScreen(RECT* pRect) const;
    void MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, cx, cy, bRepaint); }
    void MoveWindow(const RECT& rect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(HWND hAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, nFlags);
    }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(const RECT* pRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, pRect, bErase); }
    void SetRedraw(BOOL bRedraw) { SendMessage(WM_SETREDRAW, bRedraw, 0); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& strText) { ::SetWindowTextW(m_hWnd, strText.c_str()); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw); }
    UINT_PTR SetTimer(UINT_PTR nId, UINT nElapse) { return ::SetTimer(m_hWnd, nId, nElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nId) { return ::KillTimer(m_hWnd, nId); }
    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, nMsg, wParam, lParam);
    }
    BOOL PostMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, nMsg, wParam, lParam);
    }

    // Offered every message of the modal loop that is meant for this window or one of its
    // children, innermost first. True: the message was handled and is not dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

protected:
    // The one dispatch: unpacks the message and calls its handler.
    virtual LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // The window's own behaviour for the message being handled.
    LRESULT Default();
    // The second argument of the message being handled, for a handler that needs more than its
    // unpacked arguments (the key message WM_GETDLGCODE asks about).
    LPARAM GetCurrentLParam() const { return m_current.lParam; }
    LRESULT DefWindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);

    // Called by SubclassWindow once the object is bound, before it takes the window's messages:
    // the place for a control of a template to set itself up (styles, fonts, tools).
    virtual void PreSubclassWindow() {}

    // A control's own copy of the notifications its parent receives from it (reflection).
    // Return true when handled; the parent then answers with *pResult.
    virtual bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Reflected WM_COMMAND notification (BN_CLICKED, STN_CLICKED, EN_CHANGE ...).
    virtual bool OnReflectedCommand(UINT /*nCode*/, LRESULT* /*pResult*/) { return false; }
    // Reflected WM_NOTIFY.
    virtual bool OnReflectedNotify(NMHDR* /*pNmhdr*/, LRESULT* /*pResult*/) { return false; }
    // Reflected WM_CTLCOLOR*: a brush to use, or null to leave it to the parent.
    virtual HBRUSH OnReflectedCtlColor(HDC /*hDC*/, UINT /*nCtlColor*/) { return nullptr; }

    // Handlers; each does the window's own behaviour unless overridden.
    virtual int OnCreate(CREATESTRUCTW* pCreate);
    virtual void OnDestroy() { Default(); }
    virtual void OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/) { Default(); }
    virtual void OnPaint() { Default(); }
    virtual BOOL OnEraseBkgnd(HDC /*hDC*/) { return static_cast<BOOL>(Default()); }
    virtual void OnGetMinMaxInfo(MINMAXINFO* /*pInfo*/) { Default(); }
    // FALSE: not handled, the window's own behaviour follows.
    virtual BOOL OnCommand(WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }
    virtual LRESULT OnNotify(NMHDR* /*pNmhdr*/) { return Default(); }
    virtual void OnLButtonDown(UINT /*nFlags*/, POINT /*pt*/) { Default(); }
    virtual void OnLButtonUp(UINT /*nFlags*/, POINT /*pt*/) { Default(); }
    virtual void OnLButtonDblClk(UINT /*nFlags*/, POINT /*pt*/) { Default(); }
    virtual void OnMouseMove(UINT /*nFlags*/, POINT /*pt*/) { Default(); }
    virtual BOOL OnMouseWheel(UINT /*nFlags*/, short /*zDelta*/, POINT /*ptScreen*/)
    {
        return static_cast<BOOL>(Default());
    }
    virtual void OnCaptureChanged(HWND /*hNew*/) { Default(); }
    virtual BOOL OnSetCursor(HWND /*hWnd*/, UINT /*nHitTest*/, UINT /*nMsg*/) { return static_cast<BOOL>(Default()); }
    virtual void OnKeyDown(UINT /*nChar*/, UINT /*nRepeat*/, UINT /*nFlags*/) { Default(); }
    virtual void OnChar(UINT /*nChar*/, UINT /*nRepeat*/, UINT /*nFlags*/) { Default(); }
    virtual UINT OnGetDlgCode() { return static_cast<UINT>(Default()); }
    virtual void OnSetFocus(HWND /*hOld*/) { Default(); }
    virtual void OnKillFocus(HWND /*hNew*/) { Default(); }
    virtual void OnTimer(UINT_PTR /*nId*/) { Default(); }
    virtual void OnHScroll(UINT /*nCode*/, int /*nPos*/, HWND /*hScrollBar*/) { Default(); }
    virtual void OnVScroll(UINT /*nCode*/, int /*nPos*/, HWND /*hScrollBar*/) { Default(); }
    virtual void OnSettingChange(UINT /*nFlags*/, const wchar_t* /*pszSection*/) { Default(); }
    virtual void OnEnable(BOOL /*bEnable*/) { Default(); }
    virtual void OnShowWindow(BOOL /*bShow*/, UINT /*nStatus*/) { Default(); }
    virtual BOOL OnHelpInfo(HELPINFO* /*pInfo*/) { return static_cast<BOOL>(Default()); }
    virtual void OnSysCommand(UINT /*nId*/, LPARAM /*lParam*/) { Default(); }
    virtual LRESULT OnPaste() { return Default(); }

private:
    struct CCurrentMessage
    {
        UINT nMsg;
        WPARAM wParam;
        LPARAM lParam;
    };

    LRESULT Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam);
    bool ReflectToChild(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void Bind(HWND hWnd);
    void Unbind();
    static LRESULT CALLBACK CreationHook(int nCode, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    CCurrentMessage m_current{};

protected:
    bool m_bOwnsWindow = false;  // created here (CreateEx, dialogs): destroyed with the object

private:
    // The window's own procedure, which the object's replaced and Default() calls; null until
    // then.
    WNDPROC m_pfnSuper = nullptr;
};

// An exception must not unwind through the system's frames: a window procedure that throws has
// its exception kept and its message answered as failed (-1 for creation), and the exception is
// thrown again by the code of ours that called into the system (window and dialog creation, the
// modal loop). Call after any other system call that may run our handlers and must see their
// failures.
void RethrowPendingWindowException();
// Keeps the exception in flight for RethrowPendingWindowException; the first one wins.
void KeepPendingWindowException();

// A point's coordinates from a mouse message.
inline POINT PointFromLParam(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

inline int RectWidth(const RECT& rect) { return rect.right - rect.left; }
inline int RectHeight(const RECT& rect) { return rect.bottom - rect.top; }
