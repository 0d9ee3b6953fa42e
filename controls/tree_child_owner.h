// What the tree child asks of the control that owns it: where the cells are and what they say, for
// its cell tooltips, and which window its label is found from, for accessibility clients. The
// column tree is that owner; the tree child knows it only through this.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

// Result of a hit test: the point in the owner's client coordinates, TVHT_ flags, the item and the
// column.
struct COLUMNTREEHITINFO
{
    POINT pt;
    UINT flags;
    HTREEITEM hItem;
    int iSubItem;
};

class ITreeChildOwner
{
public:
    // The item, flags and column at the cursor's position, which is stored in the record; returns
    // the item, also stored in the record.
    virtual HTREEITEM HitTestAtCursor(COLUMNTREEHITINFO* pInfo) const = 0;
    virtual int GetColumnWidth(int nColumn) const = 0;
    virtual std::wstring GetItemText(HTREEITEM hItem, int nColumn) const = 0;
    // The window that accessibility clients know the tree by: its label names the tree.
    virtual HWND GetOwnerWindow() const = 0;

protected:
    ~ITreeChildOwner() = default;
};
