// Keeps the child controls of one window in place as that window changes size. Each child is
// anchored to some of its parent's edges; when the parent is (dx, dy) larger or smaller than the
// size the child's base rectangle belongs to, a child anchored to both opposite edges is that much
// wider or taller than its base, one anchored to the far edge alone (right or bottom) is that far
// from it, and any other keeps its base place and size.
//
// Places are computed from the base every time, never added up from the last place: the window
// system clamps a negative size to 0, so a sum would lose what a parent smaller than the layout
// took away, and the controls would not come back to where they were when the parent does.
#pragma once

#include <list>

#include "win/wnd.h"

// A control's place in its parent's client area and its size.
struct CControlBounds
{
    int x;
    int y;
    int nWidth;
    int nHeight;
};

inline bool operator==(const CControlBounds& a, const CControlBounds& b)
{
    return a.x == b.x && a.y == b.y && a.nWidth == b.nWidth && a.nHeight == b.nHeight;
}
inline bool operator!=(const CControlBounds& a, const CControlBounds& b) { return !(a == b); }

// One anchored child. A flag counts as set only when it is exactly 1.
struct CControlAnchor
{
    CWnd* pWndControl;
    int fixed;   // never moved or resized
    int left;
    int right;
    int top;
    int bottom;
    // The child's window: the object found at initialisation may be a stand-in wrapper that is
    // replaced when the control is bound later, so the window, not the object, is what is moved.
    HWND hWndControl;
    // Where the control belongs while its parent is nBaseWidth x nBaseHeight. Negative sizes are
    // kept as they are.
    CControlBounds base{};
    int nBaseWidth = 0;
    int nBaseHeight = 0;
    // Where the helper last put the control, as the window system made it. A control found
    // anywhere else was moved by someone else (a size grip keeping to its corner, a tab control
    // showing a page), and that place becomes its base.
    CControlBounds placed{};
    bool bPlaced = false;
};

// Where an anchored control goes when its parent's size differs by (dx, dy) from the size that
// bounds belong to. No minimum size: a parent smaller than the layout makes a stretched control's
// size negative.
CControlBounds AnchorControl(const CControlAnchor& anchor, const CControlBounds& bounds, int dx, int dy);

// Where the control goes while the parent is nWidth x nHeight: computed from its base.
CControlBounds AnchoredBounds(const CControlAnchor& anchor, int nWidth, int nHeight);

// Makes the control's place at the parent size nWidth x nHeight its base.
void SetAnchorBase(CControlAnchor& anchor, const CControlBounds& bounds, int nWidth, int nHeight);

// Where the control goes when the parent changes from nLastWidth x nLastHeight to nWidth x nHeight
// and the control stands at current: first, a control that is not where the helper last put it
// takes its current place as its base at the last size.
CControlBounds FollowParentSize(CControlAnchor& anchor, const CControlBounds& current, int nLastWidth,
                                int nLastHeight, int nWidth, int nHeight);

// The top-left corner of the window in its parent's client area; (0, 0) for no window or one
// without a parent.
POINT GetPositionInParent(const CWnd* pWnd);

class CControlAnchorHelper
{
public:
    // Throws when pParentWnd is null.
    explicit CControlAnchorHelper(CWnd* pParentWnd);
    ~CControlAnchorHelper();
    CControlAnchorHelper(const CControlAnchorHelper&) = delete;
    CControlAnchorHelper& operator=(const CControlAnchorHelper&) = delete;

    // Anchors every child the parent has now to its left and top edges, where it stays. Called
    // once, after all the parent's children exist; throws when there are none.
    void InitializeAnchors();
    // Overwrites the flags of a child found by InitializeAnchors; throws for any other window.
    void SetAnchor(CWnd* pWndControl, int fixed, int left, int right, int top, int bottom);
    // The first call after anchoring records the parent's size and every child's place as its
    // base, and moves nothing; each later call moves and sizes every child that is not fixed by
    // the difference from the size of its base. The owner measures the size the same way every
    // time.
    void OnParentSize(int nWidth, int nHeight);
    // Moves an anchored child by (dx, dy) and makes it (dcx, dcy) larger for good: its base
    // changes, so every later size keeps the change. For a control that shares the parent's space
    // with others (a splitter). False, and nothing done, before the first size and for a window
    // that is not anchored here or is fixed.
    bool MoveAnchoredControl(HWND hWnd, int dx, int dy, int dcx, int dcy);
    // Back to the state just after construction.
    void Clear();

private:
    CWnd* m_pParentWnd;
    bool m_bInitialized = false;
    int m_nLastWidth = 0;
    int m_nLastHeight = 0;
    std::list<CControlAnchor> m_anchors;
};
