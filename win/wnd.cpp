#include "win/wnd.h"

#include <utility>

#include <exception>
#include <memory>
#include <unordered_map>

#include "win/module.h"

namespace
{
// The objects bound to the windows of this thread. Every message looks its window up here, so
// the lookup stays in the process (a window property would cost a server round trip under some
// systems). Windows are used only by the thread that created them.
thread_local std::unordered_map<HWND, CWnd*> t_boundObjects;

// Wrappers handed out by FromHandle for windows no object is bound to. They own nothing and live
// as long as their thread.
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporaryWrappers;

thread_local std::exception_ptr t_pendingException;

// The object that the window this thread is creating belongs to, and that window's class, until
// the creation hook binds it.
thread_local CWnd* t_pWndInit = nullptr;
thread_local const wchar_t* t_pszInitClass = nullptr;
thread_local HHOOK t_hCreationHook = nullptr;

bool IsSameClass(const wchar_t* pszA, const wchar_t* pszB)
{
    if (IS_INTRESOURCE(pszA) || IS_INTRESOURCE(pszB))
        return pszA == pszB;
    return ::lstrcmpiW(pszA, pszB) == 0;
}

bool IsCtlColorMessage(UINT nMsg)
{
    return nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC;
}
}  // namespace

void KeepPendingWindowException()
{
    if (!t_pendingException)
        t_pendingException = std::current_exception();
}

void RethrowPendingWindowException()
{
    if (t_pendingException)
        std::rethrow_exception(std::exchange(t_pendingException, nullptr));
}

CWnd::~CWnd()
{
    // An object that goes before its window lets the window go too when it created it, and
    // otherwise hands the window back its own procedure.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
    {
        if (m_bOwnsWindow)
            ::DestroyWindow(m_hWnd);
        else
            UnsubclassWindow();
    }
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    const auto found = t_boundObjects.find(hWnd);
    return found == t_boundObjects.end() ? nullptr : found->second;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* pWnd = FromHandlePermanent(hWnd))
        return pWnd;
    std::unique_ptr<CWnd>& pWrapper = t_temporaryWrappers[hWnd];
    if (!pWrapper)
    {
        pWrapper = std::make_unique<CWnd>();
        pWrapper->Attach(hWnd);
    }
    return pWrapper.get();
}

void CWnd::Bind(HWND hWnd)
{
    m_hWnd = hWnd;
    t_boundObjects[hWnd] = this;
    // A wrapper handed out before the window had an object is no longer needed.
    t_temporaryWrappers.erase(hWnd);
}

void CWnd::Unbind()
{
    // Null when PreSubclassWindow threw before the procedure was replaced.
    if (m_pfnSuper)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    t_boundObjects.erase(m_hWnd);
    m_pfnSuper = nullptr;
    m_bOwnsWindow = false;
    m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::CreationHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    // The first window of the class created after CreateEx armed the hook is its window: one the
    // system makes first (an input method's) is of another class, the ones our window makes while
    // it is created come after it.
    if (nCode == HCBT_CREATEWND && t_pWndInit &&
        IsSameClass(reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass, t_pszInitClass))
    {
        CWnd* pWnd = std::exchange(t_pWndInit, nullptr);
        const HWND hWnd = reinterpret_cast<HWND>(wParam);
        pWnd->Bind(hWnd);
        pWnd->m_pfnSuper = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool CWnd::CreateEx(DWORD dwExStyle, const wchar_t* pszClass, const wchar_t* pszTitle, DWORD dwStyle,
                    const RECT& rect, HWND hParent, UINT nId)
{
    const HMENU hMenuOrId = (dwStyle & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nId)) : nullptr;
    // The object is bound as the window is created, before its first message, by a creation hook
    // of this thread. A system class is subclassed there, so that it keeps its class name, by
    // which accessibility and automation tools know it.
    const bool bOwnHook = t_hCreationHook == nullptr;
    if (bOwnHook)
    {
        t_hCreationHook = ::SetWindowsHookExW(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId());
        if (!t_hCreationHook)
            return false;
    }
    CWnd* const pOuterInit = std::exchange(t_pWndInit, this);
    const wchar_t* const pszOuterClass = std::exchange(t_pszInitClass, pszClass);
    const HWND hWnd = ::CreateWindowExW(dwExStyle, pszClass, pszTitle, dwStyle, rect.left, rect.top,
                                        RectWidth(rect), RectHeight(rect), hParent, hMenuOrId, ModuleInstance(),
                                        nullptr);
    t_pWndInit = pOuterInit;
    t_pszInitClass = pszOuterClass;
    if (bOwnHook)
        ::UnhookWindowsHookEx(std::exchange(t_hCreationHook, nullptr));
    RethrowPendingWindowException();
    if (!hWnd)
        return false;
    m_bOwnsWindow = true;
    return true;
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd))
        return false;
    Bind(hWnd);
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    return true;
}

bool CWnd::SubclassDlgItem(UINT nId, CWnd* pParent)
{
    return pParent && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nId)));
}

HWND CWnd::UnsubclassWindow()
{
    const HWND hWnd = m_hWnd;
    if (hWnd && FromHandlePermanent(hWnd) == this)
        Unbind();
    m_hWnd = nullptr;
    return hWnd;
}

HWND CWnd::Detach()
{
    const HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::DestroyWindow()
{
    // WM_NCDESTROY unbinds the object and clears m_hWnd.
    const HWND hWnd = m_hWnd;
    if (!hWnd)
        return FALSE;
    const BOOL bDone = ::DestroyWindow(hWnd);
    if (FromHandlePermanent(hWnd) != this)
        m_hWnd = nullptr;
    return bDone;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = GetStyle();
    const DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return FALSE;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(dwNew));
    if (nFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

void CWnd::ScreenToClient(RECT* pRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::ClientToScreen(RECT* pRect) const
{
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(pRect), 2);
}

void CWnd::MoveWindow(const RECT& rect, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, rect.left, rect.top, RectWidth(rect), RectHeight(rect), bRepaint);
}

std::wstring CWnd::GetWindowText() const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    std::wstring strText(static_cast<std::size_t>(nLength) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(m_hWnd, &strText[0], nLength + 1);
    strText.resize(static_cast<std::size_t>(nCopied > 0 ? nCopied : 0));
    return strText;
}

BOOL CWnd::PreTranslateMessage(MSG* /*pMsg*/)
{
    return FALSE;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);

    // Handlers may send further messages: the message being handled is kept per call.
    const CCurrentMessage saved = pWnd->m_current;
    pWnd->m_current = {nMsg, wParam, lParam};
    LRESULT lResult = 0;
    try
    {
        lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    }
    catch (...)
    {
        KeepPendingWindowException();
        lResult = (nMsg == WM_CREATE || nMsg == WM_NCCREATE) ? -1 : 0;
    }
    pWnd->m_current = saved;

    // Teardown once the window's last message has been handled: the object lets go of the handle
    // (restoring a subclassed window's own procedure).
    if (nMsg == WM_NCDESTROY)
        pWnd->Unbind();
    return lResult;
}

LRESULT CWnd::DefWindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, nMsg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_current.nMsg, m_current.wParam, m_current.lParam);
}

int CWnd::OnCreate(CREATESTRUCTW* /*pCreate*/)
{
    return static_cast<int>(Default());
}

LRESULT CWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return Dispatch(nMsg, wParam, lParam);
}

bool CWnd::ReflectToChild(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND hChild = nullptr;
    if (nMsg == WM_NOTIFY)
        hChild = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    else
        hChild = reinterpret_cast<HWND>(lParam);
    CWnd* pChild = FromHandlePermanent(hChild);
    return pChild && pChild != this && pChild->OnChildNotify(nMsg, wParam, lParam, pResult);
}

bool CWnd::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (nMsg)
    {
    case WM_COMMAND:
        return OnReflectedCommand(HIWORD(wParam), pResult);
    case WM_NOTIFY:
        return OnReflectedNotify(reinterpret_cast<NMHDR*>(lParam), pResult);
    default:
        if (IsCtlColorMessage(nMsg))
        {
            const HBRUSH hBrush = OnReflectedCtlColor(reinterpret_cast<HDC>(wParam), nMsg - WM_CTLCOLORMSGBOX);
            *pResult = reinterpret_cast<LRESULT>(hBrush);
            return hBrush != nullptr;
        }
        return false;
    }
}

LRESULT CWnd::Dispatch(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lReflected = 0;
    switch (nMsg)
    {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_COMMAND:
        if (lParam && ReflectToChild(nMsg, wParam, lParam, &lReflected))
            return lReflected;
        return OnCommand(wParam, lParam) ? 0 : Default();
    case WM_NOTIFY:
        if (ReflectToChild(nMsg, wParam, lParam, &lReflected))
            return lReflected;
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
        return 0;
    case WM_MOUSEWHEEL:
        return OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), PointFromLParam(lParam));
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
    case WM_KEYDOWN:
        OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_CHAR:
        OnChar(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETDLGCODE:
        return OnGetDlgCode();
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (nMsg == WM_HSCROLL)
            OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        else
            OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(static_cast<UINT>(wParam), reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_ENABLE:
        OnEnable(static_cast<BOOL>(wParam));
        return 0;
    case WM_SHOWWINDOW:
        OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam));
        return 0;
    case WM_HELP:
        return OnHelpInfo(reinterpret_cast<HELPINFO*>(lParam));
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    case WM_PASTE:
        return OnPaste();
    default:
        if (IsCtlColorMessage(nMsg) && ReflectToChild(nMsg, wParam, lParam, &lReflected))
            return lReflected;
        return Default();
    }
}
