#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_anchor_helper.h"
#include "controls/get_child_windows.h"
#include "tests/win/controls/control_test_support.h"
#include "win/common_controls.h"

namespace
{
void ExpectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom, const char* pszWhat)
{
    EXPECT_EQ(actual.left, left) << pszWhat;
    EXPECT_EQ(actual.top, top) << pszWhat;
    EXPECT_EQ(actual.right, right) << pszWhat;
    EXPECT_EQ(actual.bottom, bottom) << pszWhat;
}

CControlAnchor Anchor(int fixed, int left, int right, int top, int bottom)
{
    return CControlAnchor{nullptr, fixed, left, right, top, bottom, nullptr};
}

// A resizable dialog whose size changes reach its anchor helper, measured as the window
// rectangle, the way the session manager measures its own.
class CAnchorHostDialog : public CHostDialog
{
public:
    explicit CAnchorHostDialog(UINT nTemplate = IDD_ANCHOR_HOST) : CHostDialog(nTemplate) {}

    void StartAnchoring()
    {
        m_pAnchorHelper = std::make_unique<CControlAnchorHelper>(this);
        m_pAnchorHelper->InitializeAnchors();
    }

    void PassWindowSize()
    {
        RECT rect{};
        GetWindowRect(&rect);
        m_pAnchorHelper->OnParentSize(RectWidth(rect), RectHeight(rect));
    }

    std::unique_ptr<CControlAnchorHelper> m_pAnchorHelper;

protected:
    void OnSize(UINT /*nType*/, int /*cx*/, int /*cy*/) override
    {
        Default();
        if (m_pAnchorHelper)
            PassWindowSize();
    }
};
}  // namespace

TEST(AnchorControl, MovesAndStretchesByTheParentsChange)
{
    const CControlBounds start{10, 20, 100, 50};
    struct Case
    {
        const char* pszName;
        CControlAnchor anchor;
        int dx, dy;
        CControlBounds expected;
    };
    const Case cases[] = {
        {"all four stretch", Anchor(0, 1, 1, 1, 1), 30, 15, {10, 20, 130, 65}},
        {"all four shrink", Anchor(0, 1, 1, 1, 1), -30, -15, {10, 20, 70, 35}},
        {"right and bottom move", Anchor(0, 0, 1, 0, 1), 30, 15, {40, 35, 100, 50}},
        {"right and bottom move back", Anchor(0, 0, 1, 0, 1), -30, -15, {-20, 5, 100, 50}},
        {"defaults stay", Anchor(0, 1, 0, 1, 0), 30, 15, start},
        {"no anchor stays", Anchor(0, 0, 0, 0, 0), 30, 15, start},
        {"left and bottom", Anchor(0, 1, 0, 0, 1), 30, 15, {10, 35, 100, 50}},
        {"right and top-bottom", Anchor(0, 0, 1, 1, 1), 30, 15, {40, 20, 100, 65}},
        {"fixed with every anchor", Anchor(1, 1, 1, 1, 1), 30, 15, start},
        {"a flag of 2 is not set", Anchor(0, 2, 1, 1, 2), 30, 15, {40, 20, 100, 50}},
        {"fixed of 2 is not fixed", Anchor(2, 1, 1, 1, 1), 30, 15, {10, 20, 130, 65}},
        {"no minimum size", Anchor(0, 1, 1, 1, 1), -150, -60, {10, 20, -50, -10}},
    };
    for (const Case& c : cases)
    {
        const CControlBounds actual = AnchorControl(c.anchor, start, c.dx, c.dy);
        EXPECT_EQ(actual.x, c.expected.x) << c.pszName;
        EXPECT_EQ(actual.y, c.expected.y) << c.pszName;
        EXPECT_EQ(actual.nWidth, c.expected.nWidth) << c.pszName;
        EXPECT_EQ(actual.nHeight, c.expected.nHeight) << c.pszName;
    }
}

TEST(AnchorControl, PlacesComeFromTheBaseSoAnySizesEndingAtTheStartGiveTheStartBack)
{
    // A list and a tree below it, laid out for a 500 x 300 parent, in a window system that clamps
    // negative sizes to 0 as the real one does; the parent goes far below the layout and back.
    std::vector<std::pair<CControlAnchor, CControlBounds>> controls = {
        {Anchor(0, 1, 1, 1, 0), {10, 10, 400, 130}},
        {Anchor(0, 1, 1, 1, 1), {10, 152, 400, 110}},
        {Anchor(0, 0, 1, 0, 1), {410, 270, 80, 20}},
    };
    const auto start = controls;
    for (auto& [anchor, window] : controls)
    {
        anchor.placed = window;
        anchor.bPlaced = true;
        SetAnchorBase(anchor, window, 500, 300);
    }
    SIZE last{500, 300};
    for (const SIZE size : {SIZE{450, 250}, SIZE{200, 100}, SIZE{90, 40}, SIZE{900, 700}, SIZE{500, 300}})
    {
        for (auto& [anchor, window] : controls)
        {
            const CControlBounds target = FollowParentSize(anchor, window, last.cx, last.cy, size.cx, size.cy);
            window = anchor.placed = {target.x, target.y, std::max(0, target.nWidth), std::max(0, target.nHeight)};
        }
        last = size;
    }
    for (std::size_t i = 0; i < controls.size(); ++i)
        EXPECT_TRUE(controls[i].second == start[i].second) << "control " << i;
}

TEST(GetChildWindows, ListsDirectChildrenInWindowOrderOnce)
{
    EXPECT_ANY_THROW(GetChildWindows list(nullptr));
    CWnd noWindow;
    EXPECT_ANY_THROW(GetChildWindows(&noWindow).GetList());

    CAnchorHostDialog dlg;
    ASSERT_TRUE(dlg.Open());
    // A bound control is listed as its own object; a grandchild is not listed.
    CWnd late;
    ASSERT_TRUE(late.SubclassDlgItem(IDC_ANCHOR_LATE, &dlg));
    ASSERT_TRUE(::CreateWindowExW(0, L"BUTTON", L"inner", WS_CHILD, 2, 2, 10, 10, dlg.Item(IDC_ANCHOR_STRETCH),
                                  nullptr, nullptr, nullptr));

    GetChildWindows children(&dlg);
    const std::list<CWnd*>& list = children.GetList();
    std::vector<int> ids;
    for (CWnd* pWnd : list)
        ids.push_back(pWnd->GetDlgCtrlID());
    EXPECT_EQ(ids, (std::vector<int>{IDC_ANCHOR_STRETCH, IDC_ANCHOR_LATE, IDC_ANCHOR_STAYS, IDC_ANCHOR_FIXED,
                                     IDC_ANCHOR_CORNER}));
    EXPECT_EQ(list.size() > 1 ? *std::next(list.begin()) : nullptr, &late);

    // Gathered once: a child added later does not appear.
    ::CreateWindowExW(0, L"BUTTON", L"added", WS_CHILD, 0, 0, 10, 10, dlg, nullptr, nullptr, nullptr);
    EXPECT_EQ(children.GetList().size(), 5u);
}

TEST(ControlAnchorHelper, RefusesWhatItCannotAnchor)
{
    EXPECT_ANY_THROW(CControlAnchorHelper helper(nullptr));

    CAnchorHostDialog empty(IDD_ANCHOR_EMPTY);
    ASSERT_TRUE(empty.Open());
    CControlAnchorHelper emptyHelper(&empty);
    EXPECT_ANY_THROW(emptyHelper.InitializeAnchors());
    // The child list looks again while it found none.
    GetChildWindows children(&empty);
    EXPECT_TRUE(children.GetList().empty());
    ::CreateWindowExW(0, L"BUTTON", L"added", WS_CHILD, 0, 0, 10, 10, empty, nullptr, nullptr, nullptr);
    EXPECT_EQ(children.GetList().size(), 1u);

    CAnchorHostDialog dlg;
    ASSERT_TRUE(dlg.Open());
    const HWND hInner = ::CreateWindowExW(0, L"BUTTON", L"inner", WS_CHILD, 2, 2, 10, 10,
                                          dlg.Item(IDC_ANCHOR_STRETCH), nullptr, nullptr, nullptr);
    dlg.StartAnchoring();
    CControlAnchorHelper& helper = *dlg.m_pAnchorHelper;

    EXPECT_ANY_THROW(helper.SetAnchor(nullptr, 0, 1, 1, 1, 1));
    EXPECT_ANY_THROW(helper.SetAnchor(CWnd::FromHandle(hInner), 0, 1, 1, 1, 1));
    EXPECT_ANY_THROW(helper.SetAnchor(&dlg, 0, 1, 1, 1, 1));

    // Every child starts anchored to the left and top, and the refusals changed none: growing
    // the parent moves nothing.
    std::vector<std::pair<HWND, RECT>> rects;
    for (HWND hChild = ::GetWindow(dlg, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        rects.emplace_back(hChild, ChildRect(hChild));
    ASSERT_EQ(rects.size(), 5u);
    helper.OnParentSize(300, 200);
    helper.OnParentSize(340, 230);
    for (const auto& [hChild, rect] : rects)
        ExpectRect(ChildRect(hChild), rect.left, rect.top, rect.right, rect.bottom, "a child after growing");
}

TEST(ControlAnchorHelper, FirstSizeIsOnlyRecorded)
{
    CAnchorHostDialog dlg;
    ASSERT_TRUE(dlg.Open());
    CControlAnchorHelper helper(&dlg);

    // Without anchors nothing is recorded: the first size after anchoring is still the start.
    helper.OnParentSize(500, 500);

    helper.InitializeAnchors();
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_STRETCH), 0, 1, 1, 1, 1);
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_CORNER), 0, 0, 1, 0, 1);
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_FIXED), 1, 1, 1, 1, 1);
    const RECT stretch = ChildRect(dlg.Item(IDC_ANCHOR_STRETCH));
    const RECT corner = ChildRect(dlg.Item(IDC_ANCHOR_CORNER));
    // The fixed control is put where no anchoring rule would leave it, to see it untouched.
    ::MoveWindow(dlg.Item(IDC_ANCHOR_FIXED), 3, 5, 7, 9, TRUE);

    // Far from the real size, and still nothing moves.
    helper.OnParentSize(10, 10);
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_STRETCH)), stretch.left, stretch.top, stretch.right, stretch.bottom,
               "stretch after the first size");
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_CORNER)), corner.left, corner.top, corner.right, corner.bottom,
               "corner after the first size");

    // The second moves by the difference from the first.
    helper.OnParentSize(40, 25);
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_STRETCH)), stretch.left, stretch.top, stretch.right + 30,
               stretch.bottom + 15, "stretch after the second size");
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_CORNER)), corner.left + 30, corner.top + 15, corner.right + 30,
               corner.bottom + 15, "corner after the second size");
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_FIXED)), 3, 5, 10, 14, "fixed after the second size");

    // Cleared, it anchors nothing and has no size recorded.
    helper.Clear();
    EXPECT_ANY_THROW(helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_STRETCH), 0, 1, 1, 1, 1));
    EXPECT_FALSE(helper.MoveAnchoredControl(dlg.Item(IDC_ANCHOR_CORNER), 1, 1, 0, 0));
}

TEST(ControlAnchorHelper, ASizeSmallerThanTheLayoutAndBackGivesEveryStartRectangleBack)
{
    CAnchorHostDialog dlg;
    ASSERT_TRUE(dlg.Open());
    dlg.StartAnchoring();
    CControlAnchorHelper& helper = *dlg.m_pAnchorHelper;
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_STRETCH), 0, 1, 1, 1, 1);
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_CORNER), 0, 0, 1, 0, 1);
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_LATE), 0, 0, 1, 0, 0);
    helper.SetAnchor(dlg.ItemObject(IDC_ANCHOR_FIXED), 1, 1, 1, 1, 1);
    dlg.PassWindowSize();
    const int ids[] = {IDC_ANCHOR_STRETCH, IDC_ANCHOR_CORNER, IDC_ANCHOR_LATE, IDC_ANCHOR_STAYS, IDC_ANCHOR_FIXED};
    std::vector<RECT> start;
    for (int nId : ids)
        start.push_back(ChildRect(dlg.Item(nId)));
    RECT window{};
    dlg.GetWindowRect(&window);
    const auto expectStart = [&](const char* pszWhen) {
        for (std::size_t i = 0; i < start.size(); ++i)
            ExpectRect(ChildRect(dlg.Item(ids[i])), start[i].left, start[i].top, start[i].right, start[i].bottom,
                       (std::string(pszWhen) + ", control " + std::to_string(ids[i])).c_str());
    };

    // So small that the stretched box would be narrower than nothing: it is clamped at 0, and the
    // width it lost must not be lost for good.
    ResizeWindow(dlg, 60, 60);
    const RECT rcSmall = ChildRect(dlg.Item(IDC_ANCHOR_STRETCH));
    ASSERT_EQ(RectWidth(rcSmall), 0) << "the dialog did not get small enough to clamp the box";
    ResizeWindow(dlg, RectWidth(window) + 90, RectHeight(window) + 40);
    ResizeWindow(dlg, RectWidth(window), RectHeight(window));
    expectStart("back from the smallest size");

    // Shared out for good (as a splitter does), where the window system clamps it too.
    ResizeWindow(dlg, 60, 60);
    EXPECT_TRUE(helper.MoveAnchoredControl(dlg.Item(IDC_ANCHOR_STRETCH), 0, 4, -25, -4));
    EXPECT_FALSE(helper.MoveAnchoredControl(dlg.Item(IDC_ANCHOR_FIXED), 1, 1, 1, 1));
    EXPECT_FALSE(helper.MoveAnchoredControl(dlg.m_hWnd, 1, 1, 1, 1));
    ResizeWindow(dlg, RectWidth(window), RectHeight(window));
    const RECT& rcStretch = start[0];
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_STRETCH)), rcStretch.left, rcStretch.top + 4, rcStretch.right - 25,
               rcStretch.bottom, "the box after its share changed");
    EXPECT_TRUE(helper.MoveAnchoredControl(dlg.Item(IDC_ANCHOR_STRETCH), 0, -4, 25, 4));
    expectStart("with the box's share given back");
}

TEST(ControlAnchorHelper, FollowsControlsBoundOrDestroyedAfterAnchoringAndPaintsThemWhereTheyLand)
{
    CAnchorHostDialog dlg;
    ASSERT_TRUE(dlg.Open());
    // Anchored while the control is still unbound, then bound to an object of its own: the
    // wrapper found first is gone, and the anchor has to follow the window.
    dlg.StartAnchoring();
    CButton late;
    ASSERT_TRUE(late.SubclassDlgItem(IDC_ANCHOR_LATE, &dlg));
    dlg.m_pAnchorHelper->SetAnchor(&late, 0, 0, 1, 0, 0);
    dlg.m_pAnchorHelper->SetAnchor(dlg.ItemObject(IDC_ANCHOR_STRETCH), 0, 1, 1, 1, 1);
    dlg.m_pAnchorHelper->SetAnchor(dlg.ItemObject(IDC_ANCHOR_CORNER), 0, 0, 1, 0, 1);
    dlg.PassWindowSize();
    const RECT lateStart = ChildRect(late);
    const RECT stretchStart = ChildRect(dlg.Item(IDC_ANCHOR_STRETCH));

    // A destroyed control is passed over; the others still move.
    ::DestroyWindow(dlg.Item(IDC_ANCHOR_STAYS));

    RECT window{};
    dlg.GetWindowRect(&window);
    ResizeWindow(dlg, RectWidth(window) + 120, RectHeight(window) + 70);
    ExpectRect(ChildRect(late), lateStart.left + 120, lateStart.top, lateStart.right + 120, lateStart.bottom,
               "late-bound control");
    ExpectRect(ChildRect(dlg.Item(IDC_ANCHOR_STRETCH)), stretchStart.left, stretchStart.top,
               stretchStart.right + 120, stretchStart.bottom + 70, "stretch");

    // Each moved control lands in the part of the dialog the resize uncovered, which the dialog
    // then paints over: it has to be drawn again after that. Where the group box's right edge
    // was is plain background now, like the rest of its inside.
    const int yMiddle = (stretchStart.top + stretchStart.bottom) / 2;
    const COLORREF background = PixelAt(dlg, POINT{stretchStart.left + 20, yMiddle});
    EXPECT_EQ(CountPixels(dlg, RECT{stretchStart.right - 4, yMiddle, stretchStart.right + 2, yMiddle + 1},
                          Is(background)), 6) << "the group box's old edge is left";
    for (const int nId : {IDC_ANCHOR_CORNER, IDC_ANCHOR_LATE})
    {
        RECT face{};
        ::GetClientRect(dlg.Item(nId), &face);
        ::InflateRect(&face, -3, -3);
        EXPECT_GT(CountPixels(dlg.Item(nId), face, IsDark), 10) << "no caption drawn on button " << nId;
    }
}
