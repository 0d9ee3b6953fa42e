#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/dialog_splitter.h"
#include "tests/win/controls/control_test_support.h"

namespace
{
TEST(SplitterLimits, SixtyPixelsInsideTheOuterEdgesOfBothControls)
{
    const RECT upper = {100, 100, 400, 250}; // screen rectangles
    const RECT lower = {100, 260, 400, 450};
    const RECT left = {100, 100, 250, 400};
    const RECT right = {260, 100, 500, 400};
    struct
    {
        bool bVertical;
        POINT pt;
        const RECT* pFirst;
        const RECT* pSecond;
        bool bAllowed;
    } const cases[] = {
        {false, {200, 159}, &upper, &lower, false},
        {false, {200, 160}, &upper, &lower, true},
        {false, {200, 390}, &upper, &lower, true},
        {false, {200, 391}, &upper, &lower, false},
        {false, {-5000, 300}, &upper, &lower, true}, // x does not count for a horizontal bar
        {true, {159, 200}, &left, &right, false},
        {true, {160, 200}, &left, &right, true},
        {true, {440, 200}, &left, &right, true},
        {true, {441, 200}, &left, &right, false},
        {true, {300, -5000}, &left, &right, true},
        // A missing control sets no limit on its side.
        {false, {200, -1000}, nullptr, &lower, true},
        {false, {200, 391}, nullptr, &lower, false},
        {false, {200, 5000}, &upper, nullptr, true},
        {false, {200, 159}, &upper, nullptr, false},
        {true, {-1000, 0}, nullptr, nullptr, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWithinSplitterLimits(c.bVertical, c.pt, c.pFirst, c.pSecond), c.bAllowed)
            << (c.bVertical ? "vertical" : "horizontal") << " bar, mouse at (" << c.pt.x << ", "
            << c.pt.y << ")";

    EXPECT_TRUE(IsVerticalSplitter(RECT{10, 10, 18, 200}));
    EXPECT_TRUE(IsVerticalSplitter(RECT{10, 10, 30, 30}));
    EXPECT_FALSE(IsVerticalSplitter(RECT{10, 10, 31, 30}));
}

TEST(SplitterLimits, AKeyStepsEightPixelsUpToTheLimitAndAlwaysBackTowardsIt)
{
    struct
    {
        int nCentre, nStep, nExpected;
    } const cases[] = {
        {100, -8, -8}, {100, 8, 8},  // inside: a whole step
        {55, -8, -5},  {195, 8, 5},  // the last step ends on the limit
        {50, -8, 0},   {200, 8, 0},  // on the limit: no further
        {250, -8, -8}, {250, 8, 0},  // beyond a limit (a parent smaller than the layout): only back
        {30, 8, 8},    {30, -8, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitterKeyStep(c.nCentre, c.nStep, 50, 200), c.nExpected)
            << "centre " << c.nCentre << ", step " << c.nStep;
}

int g_nLoads = 0;
bool g_bLoadFails = false;

// A private copy of the arrow, which the cache owns and must destroy when it is replaced.
HCURSOR LoadPrivateCursor(UINT /*nId*/, bool* pbOwned)
{
    ++g_nLoads;
    *pbOwned = !g_bLoadFails;
    return g_bLoadFails ? nullptr : static_cast<HCURSOR>(CopyIcon(LoadCursorW(nullptr, IDC_ARROW)));
}

bool IsLiveCursor(HCURSOR hCursor)
{
    ICONINFO info{};
    if (!GetIconInfo(hCursor, &info))
        return false;
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return true;
}

TEST(SplitCursorCache, LoadsOnceReplacesAndSurvivesAFailedLoad)
{
    g_nLoads = 0;
    g_bLoadFails = false;
    CSplitCursorCache cache;
    ASSERT_TRUE(ShowSplitCursor(cache, 30981, LoadPrivateCursor));
    const HCURSOR hNS = cache.hCursor;
    EXPECT_EQ(GetCursor(), hNS);
    EXPECT_TRUE(ShowSplitCursor(cache, 30981, LoadPrivateCursor));
    EXPECT_EQ(g_nLoads, 1);

    ASSERT_TRUE(ShowSplitCursor(cache, 30980, LoadPrivateCursor));
    const HCURSOR hWE = cache.hCursor;
    EXPECT_EQ(GetCursor(), hWE);
    EXPECT_EQ(g_nLoads, 2);
    EXPECT_FALSE(IsLiveCursor(hNS)) << "the replaced cursor was not destroyed";

    // A failed load shows nothing new and keeps the cursor held, alive and found by its id.
    g_bLoadFails = true;
    EXPECT_FALSE(ShowSplitCursor(cache, 30981, LoadPrivateCursor));
    EXPECT_TRUE(ShowSplitCursor(cache, 30980, LoadPrivateCursor));
    EXPECT_EQ(cache.hCursor, hWE);
    EXPECT_EQ(g_nLoads, 3);
    EXPECT_TRUE(IsLiveCursor(hWE));
    g_bLoadFails = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    DestroyCursor(hWE);

    // This module has no split cursors: the system's shared ones, never to be destroyed.
    bool bOwned = true;
    EXPECT_EQ(LoadSplitCursor(30980, &bOwned), LoadCursorW(nullptr, IDC_SIZEWE));
    EXPECT_FALSE(bOwned);
    EXPECT_EQ(LoadSplitCursor(30981, &bOwned), LoadCursorW(nullptr, IDC_SIZENS));
    EXPECT_FALSE(bOwned);
}

// A dialog of a test template with a splitter between two controls.
class CSplitterHost : public CHostDialog
{
public:
    CSplitterHost(UINT nIdTemplate, int nFirst, int nBar, int nSecond)
        : CHostDialog(nIdTemplate), m_nIds{nFirst, nBar, nSecond}
    {
    }

    CWnd m_first;
    CDialogSplitter m_splitter;
    CWnd m_second;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, m_nIds[0], m_first);
        DDX_Control(dx, m_nIds[1], m_splitter);
        DDX_Control(dx, m_nIds[2], m_second);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_splitter.AttachControls(&m_first, &m_second);
        return TRUE;
    }

private:
    int m_nIds[3];
};

// The bar's pixels: button face with three black lines, read back from the window.
void ExpectGroove(HWND hBar, bool bVertical)
{
    RECT client{};
    GetClientRect(hBar, &client);
    const int w = client.right;
    const int h = client.bottom;
    CRgbImage image;
    ASSERT_TRUE(CaptureWindow(hBar, image));
    std::string strWrong;
    for (int y = 0; y < h; ++y)
    {
        for (int x = 0; x < w; ++x)
        {
            // Across the bar (c) and along it (l).
            const int c = bVertical ? x : y;
            const int l = bVertical ? y : x;
            const int a = bVertical ? h / 3 + 1 : w / 3;
            const bool bBlack = c == 3 || ((c == 2 || c == 4) && l >= a && l < 2 * a);
            if (image.At(x, y) != (bBlack ? RGB(0, 0, 0) : GetSysColor(COLOR_BTNFACE)) && strWrong.size() < 200)
                strWrong += "(" + std::to_string(x) + ", " + std::to_string(y) + ") ";
        }
    }
    EXPECT_EQ(strWrong, "") << "wrong pixels of a " << w << " x " << h << " bar";
}

class SplitterTest : public testing::Test
{
protected:
    void Open(bool bVertical)
    {
        m_pHost.reset();
        m_pHost = bVertical
                      ? std::make_unique<CSplitterHost>(IDD_SPLITTER_VERTICAL, IDC_SPLITTER_LEFT,
                                                        IDC_SPLITTER_VBAR, IDC_SPLITTER_RIGHT)
                      : std::make_unique<CSplitterHost>(IDD_SPLITTER_HORIZONTAL, IDC_SPLITTER_UPPER,
                                                        IDC_SPLITTER_BAR, IDC_SPLITTER_LOWER);
        ASSERT_TRUE(m_pHost->Open());
        Snapshot();
    }

    void TearDown() override
    {
        if (GetCapture())
            ReleaseCapture();
        m_pHost.reset();
        PumpMessages(0);
    }

    HWND Dlg() const { return m_pHost->m_hWnd; }
    HWND Bar() const { return m_pHost->m_splitter.m_hWnd; }
    POINT BarCentre() const { return ClientCenter(Bar()); }
    // A window's rectangle in the dialog's client coordinates.
    RECT InDialog(HWND hWnd) const
    {
        RECT rect{};
        GetWindowRect(hWnd, &rect);
        MapWindowPoints(nullptr, Dlg(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    void Snapshot()
    {
        m_first0 = InDialog(m_pHost->m_first.m_hWnd);
        m_bar0 = InDialog(Bar());
        m_second0 = InDialog(m_pHost->m_second.m_hWnd);
    }

    // The bar moved by (dx, dy) from the snapshot: the first control grew by as much from its
    // top-left corner, the second moved and shrank by as much towards its bottom-right corner.
    void ExpectMovedBy(int dx, int dy)
    {
        RECT first = m_first0;
        first.right += dx;
        first.bottom += dy;
        RECT bar = m_bar0;
        OffsetRect(&bar, dx, dy);
        RECT second = m_second0;
        second.left += dx;
        second.top += dy;
        EXPECT_EQ(Describe(InDialog(m_pHost->m_first.m_hWnd)), Describe(first)) << "first control";
        EXPECT_EQ(Describe(InDialog(Bar())), Describe(bar)) << "bar";
        EXPECT_EQ(Describe(InDialog(m_pHost->m_second.m_hWnd)), Describe(second))
            << "second control";
    }

    void PressOnBar(POINT pt)
    {
        MouseMove(Bar(), pt);
        PostMessageW(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        PumpMessages(0);
    }

    // The button comes up at a point of the dialog; the window holding the capture hears of it.
    void ReleaseAt(POINT ptDialog)
    {
        const HWND hTarget = GetCapture() ? GetCapture() : Dlg();
        MapWindowPoints(Dlg(), hTarget, &ptDialog, 1);
        PostMessageW(hTarget, WM_LBUTTONUP, 0, MAKELPARAM(ptDialog.x, ptDialog.y));
        PumpMessages(0);
    }

    std::unique_ptr<CSplitterHost> m_pHost;
    RECT m_first0{}, m_bar0{}, m_second0{};
};

TEST_F(SplitterTest, ShapeGivesTheDirectionAndTheCursor)
{
    Open(false);
    // The mouse arriving over the bar sets the cursor through WM_SETCURSOR.
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    MouseMove(Bar(), BarCentre());
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENS));

    // Outside the client area, or for another window, the bar leaves the cursor alone.
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(SendMessageW(Bar(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Bar()),
                           MAKELPARAM(HTBORDER, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(SendMessageW(Bar(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Dlg()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

    Open(true);
    MouseMove(Bar(), BarCentre());
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

TEST_F(SplitterTest, DraggingTheBarSharesTheSpaceBetweenTheControls)
{
    Open(false);
    POINT pt = BarCentre();
    Drag(Bar(), pt, POINT{pt.x + 25, pt.y + 30}); // sideways motion is ignored
    ExpectMovedBy(0, 30);
    EXPECT_EQ(GetCapture(), nullptr);
    Snapshot();
    Drag(Bar(), pt, POINT{pt.x, pt.y - 45});
    ExpectMovedBy(0, -45);
    // Painted where it now is, though the dialog may have painted its background over the pixels
    // that came along with the bar.
    ExpectGroove(Bar(), false);

    Open(true);
    pt = BarCentre();
    Drag(Bar(), pt, POINT{pt.x + 40, pt.y + 20});
    ExpectMovedBy(40, 0);
    // The bar is this dialog's only tab stop: without the focus and its frame, the groove alone.
    SetFocus(nullptr);
    ExpectGroove(Bar(), true);
}

TEST_F(SplitterTest, BarStopsSixtyPixelsFromTheOuterEdges)
{
    Open(false);
    const POINT grab = BarCentre();
    const int x = m_bar0.left + grab.x; // the mouse, in the dialog's client coordinates
    PressOnBar(grab);
    ASSERT_EQ(GetCapture(), Bar());

    // Up to the upper control's top edge + 60 the bar follows; one pixel further it stops.
    const int nTopLimit = m_first0.top + 60;
    MouseMove(Dlg(), POINT{x, nTopLimit});
    ExpectMovedBy(0, nTopLimit - (m_bar0.top + grab.y));
    MouseMove(Dlg(), POINT{x, nTopLimit - 1});
    MouseMove(Dlg(), POINT{x, m_first0.top - 20});
    ExpectMovedBy(0, nTopLimit - (m_bar0.top + grab.y));

    // The same against the lower control's bottom edge - 60.
    const int nBottomLimit = m_second0.bottom - 60;
    MouseMove(Dlg(), POINT{x, nBottomLimit});
    ExpectMovedBy(0, nBottomLimit - (m_bar0.top + grab.y));
    MouseMove(Dlg(), POINT{x, nBottomLimit + 1});
    MouseMove(Dlg(), POINT{x, m_second0.bottom + 20});
    ExpectMovedBy(0, nBottomLimit - (m_bar0.top + grab.y));

    // Back inside, the grab point is under the mouse again.
    MouseMove(Dlg(), POINT{x, m_bar0.top + grab.y});
    ReleaseAt(POINT{x, m_bar0.top + grab.y});
    ExpectMovedBy(0, 0);
}

TEST_F(SplitterTest, DragEndsWhereverTheButtonComesUpOrWhenTheMouseIsTaken)
{
    Open(false);
    const POINT grab = BarCentre();
    PressOnBar(grab);
    EXPECT_EQ(GetCapture(), Bar()) << "the bar must hold the mouse while dragging";
    // Over the list, far to the side: the capture still brings the moves and the release.
    const POINT ptAway = {m_first0.right - 5, m_bar0.top + grab.y - 20};
    MouseMove(Dlg(), ptAway);
    ExpectMovedBy(0, -20);
    ReleaseAt(ptAway);
    EXPECT_EQ(GetCapture(), nullptr);

    // Without the button the bar stays, over it or away from it.
    Snapshot();
    for (int dy : {2, -2, 1})
        MouseMove(Bar(), POINT{grab.x + 3 * dy, grab.y + dy});
    MouseMove(Dlg(), ptAway);
    ExpectMovedBy(0, 0);

    // Another window takes the mouse (a menu, a message box); the button will come up there.
    PressOnBar(grab);
    SetCapture(Dlg());
    ReleaseCapture();
    MouseMove(Bar(), POINT{grab.x, grab.y + 3});
    ExpectMovedBy(0, 0);
}

TEST_F(SplitterTest, TabReachesTheBarAndItsArrowKeysMoveItEightPixelsWithinTheLimits)
{
    Open(false);
    const HWND hList = m_pHost->m_first.m_hWnd;
    SetFocus(hList);
    PressKey(hList, VK_TAB);
    ASSERT_EQ(GetFocus(), Bar());
    const int nCentre = m_bar0.top + RectHeight(m_bar0) / 2;

    PressKey(Bar(), VK_DOWN);
    ExpectMovedBy(0, 8);
    PressKey(Bar(), VK_LEFT); // along the bar: nothing, and the focus stays
    PressKey(Bar(), VK_RIGHT);
    ExpectMovedBy(0, 8);
    EXPECT_EQ(GetFocus(), Bar());
    PressKey(Bar(), VK_UP);
    PressKey(Bar(), VK_UP);
    ExpectMovedBy(0, -8);

    // Held down, it stops where the mouse would: its centre 60 pixels inside either outer edge.
    for (int i = 0; i < 30; ++i)
        PressKey(Bar(), VK_UP);
    ExpectMovedBy(0, m_first0.top + 60 - nCentre);
    for (int i = 0; i < 60; ++i)
        PressKey(Bar(), VK_DOWN);
    ExpectMovedBy(0, m_second0.bottom - 60 - nCentre);
    // The focus shows on the bar: a dotted frame over the face along its top edge.
    int nDotted = 0;
    for (int x = 0; x < RectWidth(m_bar0); ++x)
        nDotted += PixelAt(Bar(), POINT{x, 0}) != GetSysColor(COLOR_BTNFACE);
    EXPECT_GT(nDotted, RectWidth(m_bar0) / 3);

    Open(true);
    SetFocus(Bar());
    PressKey(Bar(), VK_RIGHT);
    PressKey(Bar(), VK_DOWN);
    ExpectMovedBy(8, 0);
    PressKey(Bar(), VK_LEFT);
    ExpectMovedBy(0, 0);
}

} // namespace
