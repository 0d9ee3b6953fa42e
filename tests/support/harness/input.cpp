#include "tests/support/harness/input.h"

#include "tests/support/harness/message_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <utility>
#include <vector>

namespace
{
// PumpMessages(0) stops after this long even if messages keep coming, so a window that posts
// to itself for ever cannot trap the caller.
const DWORD kIdleCapMs = 2000;
// Time a drag may take before the test fails: a loop that never takes the next message.
const DWORD kSequenceTimeoutMs = 5000;
const UINT kMessageNextStep = WM_APP + 1;

std::function<bool(MSG&)> g_fnMessageFilter;

bool IsDialogWindow(HWND hWnd)
{
    wchar_t szClass[16] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    return wcscmp(szClass, L"#32770") == 0;
}

void DispatchOne(MSG& msg)
{
    if (g_fnMessageFilter)
    {
        if (g_fnMessageFilter(msg))
            return;
    }
    else if (msg.hwnd)
    {
        HWND hRoot = GetAncestor(msg.hwnd, GA_ROOT);
        if (hRoot && IsDialogWindow(hRoot))
        {
            if (CallMsgFilterW(&msg, MSGF_DIALOGBOX))
                return;
            if (IsDialogMessageW(hRoot, &msg))
                return;
        }
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// Handles queued messages until none is left or the deadline passes; false after a WM_QUIT.
bool DispatchQueued(DWORD nStart, DWORD nBudget)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchOne(msg);
        if (GetTickCount() - nStart >= nBudget)
            break;
    }
    return true;
}

POINT ToScreen(HWND hWnd, POINT pt)
{
    ClientToScreen(hWnd, &pt);
    return pt;
}

// Puts the cursor on the point. The system queues a real mouse move for the window under it;
// taking that move from the queue still gives the window its hit test and WM_SETCURSOR, but the
// move itself is dropped so that only the posted messages arrive, in their order.
void PlaceCursor(POINT ptScreen)
{
    POINT ptNow = {};
    GetCursorPos(&ptNow);
    if (ptNow.x == ptScreen.x && ptNow.y == ptScreen.y)
        return;
    SetCursorPos(ptScreen.x, ptScreen.y);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE | PM_QS_INPUT) ||
           PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCMOUSEMOVE, PM_REMOVE | PM_QS_INPUT))
    {
    }
}

// The thread's key state says the button is held (or not), as it would during a real drag.
void SetLeftButtonState(bool bDown)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = bDown ? 0x80 : 0;
    SetKeyboardState(keys);
}

// MK_* flags of a mouse message from the thread's key state.
WPARAM MouseKeyFlags()
{
    WPARAM nFlags = 0;
    for (const auto& key :
         {std::make_pair(VK_LBUTTON, MK_LBUTTON), std::make_pair(VK_RBUTTON, MK_RBUTTON),
          std::make_pair(VK_SHIFT, MK_SHIFT), std::make_pair(VK_CONTROL, MK_CONTROL)})
    {
        if (GetKeyState(key.first) < 0)
            nFlags |= key.second;
    }
    return nFlags;
}

LPARAM ClientLParam(HWND hWnd, POINT ptScreen)
{
    ScreenToClient(hWnd, &ptScreen);
    return MAKELPARAM(static_cast<SHORT>(ptScreen.x), static_cast<SHORT>(ptScreen.y));
}

// Where a mouse message goes: to the window holding this thread's capture, else the given one.
HWND MouseTarget(HWND hWnd)
{
    HWND hCapture = GetCapture();
    return hCapture ? hCapture : hWnd;
}

// Holds modifier keys down in the thread's key state for one scope.
class CModifierKeys
{
public:
    explicit CModifierKeys(UINT nModifiers) : m_bChanged(nModifiers != 0)
    {
        GetKeyboardState(m_saved);
        if (!m_bChanged)
            return;
        BYTE keys[256];
        std::copy(std::begin(m_saved), std::end(m_saved), keys);
        const struct
        {
            UINT nModifier;
            BYTE nKey, nLeftKey;
        } modifiers[] = {{kModShift, VK_SHIFT, VK_LSHIFT},
                         {kModControl, VK_CONTROL, VK_LCONTROL},
                         {kModAlt, VK_MENU, VK_LMENU}};
        for (const auto& modifier : modifiers)
        {
            if (nModifiers & modifier.nModifier)
                keys[modifier.nKey] = keys[modifier.nLeftKey] = 0x80;
        }
        SetKeyboardState(keys);
    }
    ~CModifierKeys()
    {
        if (m_bChanged)
            SetKeyboardState(m_saved);
    }
    CModifierKeys(const CModifierKeys&) = delete;
    CModifierKeys& operator=(const CModifierKeys&) = delete;

private:
    BYTE m_saved[256];
    bool m_bChanged;
};

bool IsExtendedKey(UINT nVirtualKey)
{
    static const UINT kExtended[] = {VK_INSERT,  VK_DELETE, VK_HOME,     VK_END,   VK_PRIOR,
                                     VK_NEXT,    VK_LEFT,   VK_RIGHT,    VK_UP,    VK_DOWN,
                                     VK_NUMLOCK, VK_DIVIDE, VK_RCONTROL, VK_RMENU, VK_LWIN,
                                     VK_RWIN,    VK_APPS,   VK_SNAPSHOT};
    return std::find(std::begin(kExtended), std::end(kExtended), nVirtualKey) !=
           std::end(kExtended);
}

// One posted mouse message of a sequence. The point is on the screen: a window that moves under
// the mouse during a drag gets the coordinates relative to where it is when the message is sent.
struct CMouseStep
{
    HWND hWnd;
    UINT nMessage;
    POINT ptScreen;
    bool bFollowCapture;
};

// Posts the steps one at a time; each next step is triggered by a message posted behind the
// previous one, so it runs inside whichever loop takes that message, including modal ones
// entered while handling an earlier step.
class CMouseSequence
{
public:
    explicit CMouseSequence(std::vector<CMouseStep> steps)
        : m_steps(std::move(steps)), m_window([this](UINT nMessage, WPARAM, LPARAM) {
              if (nMessage == kMessageNextStep)
                  PostNext();
          })
    {
    }

    bool Run()
    {
        PostNext();
        bool bDone = WaitFor([this] { return m_nNext == m_steps.size() && m_bLastHandled; },
                             kSequenceTimeoutMs);
        PumpMessages(0);
        return bDone;
    }

private:
    void PostNext()
    {
        if (m_nNext == m_steps.size())
        {
            m_bLastHandled = true;
            return;
        }
        const CMouseStep& step = m_steps[m_nNext++];
        PlaceCursor(step.ptScreen);
        if (step.nMessage == WM_LBUTTONDOWN)
            SetLeftButtonState(true);
        else if (step.nMessage == WM_LBUTTONUP)
            SetLeftButtonState(false);
        HWND hTarget = step.bFollowCapture ? MouseTarget(step.hWnd) : step.hWnd;
        PostMessageW(hTarget, step.nMessage, MouseKeyFlags(), ClientLParam(hTarget, step.ptScreen));
        PostMessageW(m_window.GetHwnd(), kMessageNextStep, 0, 0);
    }

    std::vector<CMouseStep> m_steps;
    size_t m_nNext = 0;
    bool m_bLastHandled = false;
    CMessageWindow m_window;
};
} // namespace

void PumpMessages(DWORD nMilliseconds)
{
    const DWORD nStart = GetTickCount();
    const DWORD nBudget = nMilliseconds ? nMilliseconds : kIdleCapMs;
    for (;;)
    {
        if (!DispatchQueued(nStart, nBudget))
            return;
        const DWORD nElapsed = GetTickCount() - nStart;
        if (nElapsed >= nMilliseconds)
            return;
        MsgWaitForMultipleObjectsEx(0, nullptr, nMilliseconds - nElapsed, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

bool WaitFor(std::function<bool()> fnPredicate, DWORD nTimeoutMs)
{
    const DWORD nStart = GetTickCount();
    for (;;)
    {
        if (fnPredicate())
            return true;
        const DWORD nElapsed = GetTickCount() - nStart;
        if (nElapsed >= nTimeoutMs)
            return fnPredicate();
        if (!DispatchQueued(GetTickCount(), kIdleCapMs))
            return fnPredicate();
        // A short wait also lets a predicate on state outside the queue be polled.
        MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(10, nTimeoutMs - nElapsed),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void SetMessageFilter(std::function<bool(MSG& msg)> fnFilter)
{
    g_fnMessageFilter = std::move(fnFilter);
}

void Click(HWND hWnd, POINT ptClient, bool bDouble)
{
    const POINT ptScreen = ToScreen(hWnd, ptClient);
    const LPARAM lParam =
        MAKELPARAM(static_cast<SHORT>(ptClient.x), static_cast<SHORT>(ptClient.y));
    PlaceCursor(ptScreen);
    const WPARAM nKeys = MouseKeyFlags() & ~static_cast<WPARAM>(MK_LBUTTON);
    PostMessageW(hWnd, WM_MOUSEMOVE, nKeys, lParam);
    PostMessageW(hWnd, WM_LBUTTONDOWN, nKeys | MK_LBUTTON, lParam);
    PostMessageW(hWnd, WM_LBUTTONUP, nKeys, lParam);
    if (bDouble)
    {
        const bool bDblClks = (GetClassLongPtrW(hWnd, GCL_STYLE) & CS_DBLCLKS) != 0;
        PostMessageW(hWnd, bDblClks ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, nKeys | MK_LBUTTON,
                     lParam);
        PostMessageW(hWnd, WM_LBUTTONUP, nKeys, lParam);
    }
    PumpMessages(0);
}

void MouseMove(HWND hWnd, POINT ptClient)
{
    const POINT ptScreen = ToScreen(hWnd, ptClient);
    PlaceCursor(ptScreen);
    HWND hTarget = MouseTarget(hWnd);
    PostMessageW(hTarget, WM_MOUSEMOVE, MouseKeyFlags(), ClientLParam(hTarget, ptScreen));
    PumpMessages(0);
}

void Drag(HWND hWnd, POINT ptFrom, POINT ptTo)
{
    const POINT ptStart = ToScreen(hWnd, ptFrom);
    const POINT ptEnd = ToScreen(hWnd, ptTo);
    const int nDistance = std::max(std::abs(ptEnd.x - ptStart.x), std::abs(ptEnd.y - ptStart.y));
    // About one move per 8 pixels, as a quick hand gives, but never a single jump.
    const int nMoves = std::clamp(nDistance / 8, 2, 24);

    std::vector<CMouseStep> steps;
    steps.push_back({hWnd, WM_MOUSEMOVE, ptStart, false});
    steps.push_back({hWnd, WM_LBUTTONDOWN, ptStart, false});
    for (int i = 1; i <= nMoves; ++i)
    {
        POINT pt = {ptStart.x + (ptEnd.x - ptStart.x) * i / nMoves,
                    ptStart.y + (ptEnd.y - ptStart.y) * i / nMoves};
        steps.push_back({hWnd, WM_MOUSEMOVE, pt, true});
    }
    steps.push_back({hWnd, WM_LBUTTONUP, ptEnd, true});

    CMouseSequence sequence(std::move(steps));
    if (!sequence.Run())
    {
        SetLeftButtonState(false);
        ADD_FAILURE() << "Drag: the messages were not taken within " << kSequenceTimeoutMs
                      << " ms; a loop that reads only mouse messages waits for them";
    }
}

void PressKey(HWND hWnd, UINT nVirtualKey, UINT nModifiers)
{
    CModifierKeys modifiers(nModifiers);
    const UINT nScanCode = MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC);
    LPARAM lParam = 1 | (static_cast<LPARAM>(nScanCode & 0xFF) << 16);
    if (IsExtendedKey(nVirtualKey))
        lParam |= 1 << 24;
    // Alt held (without Control) makes system keys, with the context bit set.
    const bool bSystem = (nModifiers & kModAlt) && !(nModifiers & kModControl);
    if (nModifiers & kModAlt)
        lParam |= 1 << 29;
    PostMessageW(hWnd, bSystem ? WM_SYSKEYDOWN : WM_KEYDOWN, nVirtualKey, lParam);
    PumpMessages(0);
    // The key was down before (bit 30) and is being released (bit 31).
    lParam |= static_cast<LPARAM>(0xC0000000u);
    if (IsWindow(hWnd))
    {
        PostMessageW(hWnd, bSystem ? WM_SYSKEYUP : WM_KEYUP, nVirtualKey, lParam);
        PumpMessages(0);
    }
}

void TypeText(HWND hWnd, const std::wstring& strText)
{
    static const std::pair<wchar_t, UINT> kKeys[] = {{L'\r', VK_RETURN},
                                                     {L'\n', VK_RETURN},
                                                     {L'\t', VK_TAB},
                                                     {L'\b', VK_BACK},
                                                     {0x1B, VK_ESCAPE}};
    for (wchar_t ch : strText)
    {
        const auto key =
            std::find_if(std::begin(kKeys), std::end(kKeys),
                         [ch](const std::pair<wchar_t, UINT>& k) { return k.first == ch; });
        if (key != std::end(kKeys))
        {
            PressKey(hWnd, key->second);
        }
        else
        {
            PostMessageW(hWnd, WM_CHAR, ch, 1);
            PumpMessages(0);
        }
    }
}

void ResizeWindow(HWND hWnd, int cx, int cy)
{
    SetWindowPos(hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpMessages(0);
}

void ParkCursor()
{
    PlaceCursor({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
}

POINT ClientCenter(HWND hWnd)
{
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}
