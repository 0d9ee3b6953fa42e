// The size grip in the bottom-right corner of a resizable dialog: the system's scroll bar in its
// size-grip form, kept in the corner, below the other controls, and shaped as the lower-right
// triangle of its square so that only that half takes the mouse and paints.
#pragma once

#include "win/common_controls.h"

class CSizeGrip : public CScrollBar
{
public:
    CSizeGrip() = default;
    ~CSizeGrip() override = default;

    // Creates the grip, hidden, as a child of pParent with control id 0, then shapes it and puts
    // it in the corner (which shows it). FALSE when the window could not be created.
    BOOL Create(CWnd* pParent);
    // Into the parent's bottom-right corner, at the bottom of the z-order, shown.
    void Reposition();
    // The lower-right triangle of the grip's square becomes the window's region.
    void ApplyTriangularRegion();

protected:
    // Takes the grip's size from the system's scroll-bar metrics.
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnGripSettingChange();
    // A press on the grip sizes the parent dialog from the grip's corner.
    void SizeParent(UINT nHitTest, LPARAM lScreenPoint);
    // Gives the focus back to the control it came from, or else to the parent's first tab stop.
    void RefuseFocus(HWND hOld);

    int m_cxGrip = 16;
    int m_cyGrip = 16;
};
