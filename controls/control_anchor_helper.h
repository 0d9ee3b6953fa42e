// Keeps the child controls of one window in place as that window changes size. Each child is
// anchored to some of its parent's edges; when the parent grows or shrinks by (dx, dy), a child
// anchored to both opposite edges stretches by that much, one anchored to the far edge alone
// (right or bottom) moves by it, and any other keeps its place and size.
#pragma once

#include <list>

#include "wnd.h"

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
};

// A control's place in its parent's client area and its size.
struct CControlBounds
{
    int x;
    int y;
    int nWidth;
    int nHeight;
};

// Where an anchored control goes when its parent's size changes by (dx, dy). No minimum size:
// a shrinking parent can make a stretched control's size negative.
CControlBounds AnchorControl(const CControlAnchor& anchor, const CControlBounds& bounds, int dx, int dy);

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
    // The first call after anchoring records the parent's size and moves nothing; each later call
    // moves and sizes every child that is not fixed by the difference from the size before. The
    // owner measures the size the same way every time.
    void OnParentSize(int nWidth, int nHeight);
    // Back to the state just after construction.
    void Clear();

    const std::list<CControlAnchor>& GetAnchors() const { return m_anchors; }
    bool IsInitialized() const { return m_bInitialized; }

private:
    CWnd* m_pParentWnd;
    bool m_bInitialized = false;
    int m_nLastWidth = 0;
    int m_nLastHeight = 0;
    std::list<CControlAnchor> m_anchors;
};
