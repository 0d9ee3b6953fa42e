// A thin static control of a dialog (with SS_NOTIFY, so that it takes the mouse) turned into a bar
// that the user drags to share space between the two controls on either side of it. It is a tab
// stop too: with the focus, the arrow keys across it move it a step at a time.
#pragma once

#include "win/common_controls.h"

class CControlAnchorHelper;

// The bar is vertical (moves left and right) when its window is no wider than it is tall.
bool IsVerticalSplitter(const RECT& rectBarWindow);

// Whether the bar may follow the mouse at ptScreen: it must stay 60 pixels inside the outer edge
// of each control (left of the first and right of the second for a vertical bar, top of the first
// and bottom of the second for a horizontal one). A missing control (null) sets no limit.
bool IsWithinSplitterLimits(bool bVertical, POINT ptScreen, const RECT* pFirstScreen,
                            const RECT* pSecondScreen);

// How far (pixels) a key press moves the bar whose centre is at nCentre, along its axis: nStep,
// or less where that would take the centre past nLow (moving back) or nHigh (moving on), and 0 when
// it is there already. A bar outside its limits may always move back towards them.
int SplitterKeyStep(int nCentre, int nStep, int nLow, int nHigh);

// The split cursor last loaded, shared by every splitter of the process.
struct CSplitCursorCache
{
    UINT nId = 0;              // resource id of the cursor held, 0 for none
    HCURSOR hCursor = nullptr; // the cursor to show for nId
    HCURSOR hToDestroy =
        nullptr; // hCursor when it was loaded for us alone; null for shared cursors
};

// Loads the split cursor of that id: *pbOwned tells whether the caller must destroy it.
using PfnLoadSplitCursor = HCURSOR (*)(UINT nId, bool* pbOwned);

// The module's cursor of that id when it has one, otherwise the system's left-right (30980) or
// up-down (any other id) resize cursor.
HCURSOR LoadSplitCursor(UINT nId, bool* pbOwned);

// Shows the cursor for nId, from the cache or loaded into it; the cursor it replaces in the cache
// is destroyed once the new one shows. False when it cannot be loaded, which leaves the cache as
// it was.
bool ShowSplitCursor(CSplitCursorCache& cache, UINT nId,
                     PfnLoadSplitCursor pfnLoad = LoadSplitCursor);

class CDialogSplitter : public CStatic
{
public:
    // Resource ids of the left-right and up-down split cursors.
    static constexpr UINT kIdSplitCursorWE = 30980;
    static constexpr UINT kIdSplitCursorNS = 30981;
    // How close (pixels) the mouse may come to the far edge of either control.
    static constexpr int kMinControlExtent = 60;
    // How far (pixels) an arrow key moves the bar.
    static constexpr int kKeyStep = 8;

    CDialogSplitter() = default;

    // Once, after the bar is bound to its static control: the upper (left) and lower (right)
    // controls, either may be null. The bar's shape decides its direction.
    void AttachControls(CWnd* pFirstWnd, CWnd* pSecondWnd);
    // The helper that anchors the bar and both controls, if one does: the bar then moves them
    // through it, so that the parent's later sizes keep what the bar gave each. Borrowed; null
    // for none.
    void SetAnchorHelper(CControlAnchorHelper* pAnchorHelper) { m_pAnchorHelper = pAnchorHelper; }

protected:
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT nMsg) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    void OnCaptureChanged(HWND hNew) override;
    void OnPaint() override;
    UINT OnGetDlgCode() override;
    void OnKeyDown(UINT nChar, UINT nRepeat, UINT nFlags) override;
    void OnSetFocus(HWND hOld) override;
    void OnKillFocus(HWND hNew) override;

private:
    // (x, y): the mouse in the bar's client coordinates; (dx, dy): how far it is from the grab
    // point.
    void MoveSplitter(int x, int y, int dx, int dy);
    // Moves the bar by (dx, dy) with the first control growing and the second shrinking by as much.
    void MoveBarAndControls(int dx, int dy);
    // Moves the window by (dx, dy) and makes it (dcx, dcy) larger.
    void MoveControl(CWnd* pWnd, int dx, int dy, int dcx, int dcy);

    bool m_bVertical = false;
    bool m_bDragging = false;
    POINT m_ptAnchor{};
    CWnd* m_pFirstWnd = nullptr;  // not owned
    CWnd* m_pSecondWnd = nullptr; // not owned
    CControlAnchorHelper* m_pAnchorHelper = nullptr; // not owned
};
