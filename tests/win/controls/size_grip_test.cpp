#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "controls/size_grip_dialog.h"
#include "tests/win/controls/control_test_support.h"
#include "win/gdi.h"

namespace
{
class CGripDialog : public CSizeGripDialog
{
public:
    CGripDialog() : CSizeGripDialog(IDD_SIZE_GRIP) {}
};

class SizeGripTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create(IDD_SIZE_GRIP, nullptr));
        SetWindowPos(m_dlg.m_hWnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        PumpMessages(50);
        ASSERT_NE(Grip(), nullptr);
    }
    void TearDown() override
    {
        m_dlg.DestroyWindow();
        PumpMessages(0);
    }

    HWND Dlg() const { return m_dlg.m_hWnd; }
    // The dialog's only scroll bar control.
    HWND Grip() const { return FindWindowExW(Dlg(), nullptr, WC_SCROLLBARW, nullptr); }
    HWND Item(int nId) const { return GetDlgItem(Dlg(), nId); }

    void ExpectGripInCorner()
    {
        RECT client{};
        GetClientRect(Dlg(), &client);
        const RECT grip = ChildRect(Grip());
        EXPECT_EQ(grip.right, client.right);
        EXPECT_EQ(grip.bottom, client.bottom);
        EXPECT_EQ(RectWidth(grip), GetSystemMetrics(SM_CXVSCROLL));
        EXPECT_EQ(RectHeight(grip), GetSystemMetrics(SM_CYHSCROLL));
        EXPECT_TRUE(IsWindowVisible(Grip()));
    }

    // The grip's ridges are painted where it now is: its square is not all button face.
    void ExpectGripPainted()
    {
        RECT client{};
        GetClientRect(Grip(), &client);
        EXPECT_GT(CountPixels(Grip(), client, [](COLORREF cr) { return cr != GetSysColor(COLOR_BTNFACE); }), 0)
            << "the grip is not painted";
    }

    // The lower-right half of the square belongs to the region, the upper-left half does not;
    // points on the diagonal are left to the rasterising rules.
    void ExpectTriangularRegion()
    {
        CRgn region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(Grip(), region), ERROR) << "the grip has no window region";
        RECT rect{};
        GetWindowRect(Grip(), &rect);
        const int w = RectWidth(rect);
        const int h = RectHeight(rect);
        for (POINT pt :
             {POINT{w - 1, h - 1}, POINT{w - 1, 3}, POINT{3, h - 1}, POINT{w / 2 + 2, h / 2 + 2}})
            EXPECT_TRUE(PtInRegion(region, pt.x, pt.y))
                << pt.x << ", " << pt.y << " of " << w << " x " << h;
        for (POINT pt : {POINT{0, 0}, POINT{w / 2 - 3, h / 2 - 3}, POINT{w - 4, 1}, POINT{1, h - 4},
                         POINT{w, h}})
            EXPECT_FALSE(PtInRegion(region, pt.x, pt.y))
                << pt.x << ", " << pt.y << " of " << w << " x " << h;
    }

    CGripDialog m_dlg;
};

TEST_F(SizeGripTest, GripIsAScrollBarInTheCornerBelowTheOtherControlsAfterEveryResize)
{
    wchar_t szClass[32] = L"";
    GetClassNameW(Grip(), szClass, ARRAYSIZE(szClass));
    EXPECT_STREQ(szClass, L"ScrollBar");
    EXPECT_EQ(GetWindowLongW(Grip(), GWL_STYLE) & ~WS_VISIBLE, 0x44000010);
    EXPECT_EQ(GetDlgCtrlID(Grip()), 0);
    ExpectGripInCorner();
    ExpectTriangularRegion();

    // A control pushed beneath it is covered again at the next size change.
    SetWindowPos(Item(IDC_SIZE_GRIP_CHECK), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT window{};
    GetWindowRect(Dlg(), &window);
    const SIZE sizes[] = {{RectWidth(window) + 120, RectHeight(window) + 90},
                          {RectWidth(window) - 40, RectHeight(window) - 25},
                          {RectWidth(window) + 33, RectHeight(window) + 1}};
    for (const SIZE& size : sizes)
    {
        SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
        ResizeWindow(Dlg(), size.cx, size.cy);
        GetWindowRect(Dlg(), &window);
        ASSERT_EQ(RectWidth(window), size.cx);
        ExpectGripInCorner();
        ExpectGripPainted();
        EXPECT_EQ(GetWindow(Grip(), GW_HWNDLAST), Grip());
    }
}

TEST_F(SizeGripTest, OnlyTheLowerRightTriangleTakesTheMouse)
{
    RECT grip{};
    GetWindowRect(Grip(), &grip);
    // The system's own hit testing, as for a real mouse: the upper-left half belongs to whatever
    // lies beneath (here the dialog), the lower-right half to the grip.
    EXPECT_EQ(WindowFromPoint(POINT{grip.left + 1, grip.top + 1}), Dlg());
    EXPECT_EQ(WindowFromPoint(POINT{grip.left + 3, grip.top + 2}), Dlg());
    EXPECT_EQ(WindowFromPoint(POINT{grip.right - 2, grip.bottom - 2}), Grip());
    EXPECT_EQ(WindowFromPoint(POINT{grip.right - 2, grip.top + 3}), Grip());

    // Where it takes the mouse it is a sizing corner.
    const LPARAM lCorner = MAKELPARAM(grip.right - 2, grip.bottom - 2);
    EXPECT_EQ(SendMessageW(Grip(), WM_NCHITTEST, 0, lCorner), HTBOTTOMRIGHT);
    SetWindowLongW(Grip(), GWL_EXSTYLE, GetWindowLongW(Grip(), GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    EXPECT_EQ(SendMessageW(Grip(), WM_NCHITTEST, 0, lCorner), HTBOTTOMLEFT);
}

TEST_F(SizeGripTest, KeyboardNeverFocusesTheGrip)
{
    EXPECT_EQ(SendMessageW(Grip(), WM_GETDLGCODE, 0, 0), DLGC_STATIC);

    SetFocus(Item(IDC_SIZE_GRIP_EDIT));
    bool bVisitedCheck = false;
    for (UINT nModifiers : {0u, UINT{kModShift}})
    {
        for (int i = 0; i < 6; ++i)
        {
            PressKey(GetFocus(), VK_TAB, nModifiers);
            ASSERT_NE(GetFocus(), Grip()) << "after Tab " << i << " with modifiers " << nModifiers;
            ASSERT_NE(GetFocus(), nullptr);
            bVisitedCheck |= GetFocus() == Item(IDC_SIZE_GRIP_CHECK);
        }
    }
    EXPECT_TRUE(bVisitedCheck) << "Tab did not go round the dialog";

    // The grip follows the last control of the buttons' group in the child order, so the arrow
    // keys would reach it next if it took the focus.
    SetFocus(Item(IDC_SIZE_GRIP_CHECK));
    for (UINT nKey : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_UP, VK_LEFT, VK_UP, VK_DOWN})
    {
        PressKey(GetFocus(), nKey);
        ASSERT_NE(GetFocus(), Grip()) << "after key " << nKey;
        ASSERT_TRUE(IsChild(Dlg(), GetFocus())) << "after key " << nKey;
    }

    // Given the focus outright, it passes it on.
    SetFocus(Item(IDC_SIZE_GRIP_SECOND));
    SetFocus(Grip());
    EXPECT_EQ(GetFocus(), Item(IDC_SIZE_GRIP_SECOND));
}

// Sets the system's scroll-bar sizes for one scope; the old ones come back at the end.
class CScrollBarMetrics
{
public:
    CScrollBarMetrics()
    {
        m_saved.cbSize = sizeof(m_saved);
        m_bRead = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m_saved), &m_saved, 0);
    }
    ~CScrollBarMetrics() { Set(m_saved.iScrollWidth, m_saved.iScrollHeight); }
    CScrollBarMetrics(const CScrollBarMetrics&) = delete;
    CScrollBarMetrics& operator=(const CScrollBarMetrics&) = delete;

    bool Read() const { return m_bRead; }
    bool Set(int cx, int cy)
    {
        NONCLIENTMETRICSW metrics = m_saved;
        metrics.iScrollWidth = cx;
        metrics.iScrollHeight = cy;
        // Not sent to every window: the test tells its own dialog.
        return m_bRead &&
               SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    }

private:
    NONCLIENTMETRICSW m_saved{};
    bool m_bRead = false;
};

TEST_F(SizeGripTest, NewScrollBarSizesResizeTheGripInTheCorner)
{
    CScrollBarMetrics metrics;
    ASSERT_TRUE(metrics.Read());
    const int cxOld = GetSystemMetrics(SM_CXVSCROLL);
    const int cyOld = GetSystemMetrics(SM_CYHSCROLL);

    // Wine reads both sizes from the scroll width, so both change alike here.
    for (const SIZE& size : {SIZE{cxOld + 9, cyOld + 9}, SIZE{cxOld - 3, cyOld - 3}})
    {
        SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
        ASSERT_TRUE(metrics.Set(size.cx, size.cy));
        ASSERT_EQ(GetSystemMetrics(SM_CXVSCROLL), size.cx);
        ASSERT_EQ(GetSystemMetrics(SM_CYHSCROLL), size.cy);
        SendMessageW(Dlg(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS,
                     reinterpret_cast<LPARAM>(L"WindowMetrics"));
        PumpMessages(0);
        ExpectGripInCorner();
        ExpectTriangularRegion();
    }
}

// Real mouse input through the system, at a point of the screen.
void SendMouse(DWORD dwFlags, POINT ptScreen)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ptScreen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ptScreen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = dwFlags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
}

TEST_F(SizeGripTest, DraggingTheGripSizesTheDialog)
{
    RECT before{};
    GetWindowRect(Dlg(), &before);
    RECT grip{};
    GetWindowRect(Grip(), &grip);
    const POINT pt = {grip.right - 3, grip.bottom - 3};
    SendMouse(0, pt);
    WaitFor([] { return GetCursor() == LoadCursorW(nullptr, IDC_SIZENWSE); }, 1000);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENWSE));

    // The system routes the press by hit testing, and the sizing loop it starts reads the mouse
    // itself, so the moves come from another thread while this one is inside that loop.
    std::thread hand([pt] {
        SendMouse(MOUSEEVENTF_LEFTDOWN, pt);
        for (int i = 1; i <= 6; ++i)
        {
            Sleep(50);
            SendMouse(0, POINT{pt.x + 8 * i, pt.y + 5 * i});
        }
        Sleep(50);
        SendMouse(MOUSEEVENTF_LEFTUP, POINT{pt.x + 48, pt.y + 30});
    });
    RECT after{};
    WaitFor(
        [&] {
            GetWindowRect(Dlg(), &after);
            return RectWidth(after) == RectWidth(before) + 48 && GetCapture() == nullptr;
        },
        3000);
    hand.join();
    PumpMessages(0);

    GetWindowRect(Dlg(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(RectWidth(after), RectWidth(before) + 48);
    EXPECT_EQ(RectHeight(after), RectHeight(before) + 30);
    ExpectGripInCorner();
}

} // namespace
