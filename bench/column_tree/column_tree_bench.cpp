// The session tree's heaviest use: a session of 200 windows with 50 tabs each (10,000 nodes)
// filled the way the Sessions page fills it (a window node, its tab nodes with the address
// written into column 1, then the window expanded), and painted once. The same fill goes into a
// plain tree view with the same styles, icons and texts, in the same run, round by round in
// alternating order; the ratio is the column tree's cost over the system's own tree.
//
//   column_tree_bench.exe [ROUNDS]      (default 3; the best round of each counts)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/seconds_now.h"
#include "controls/column_tree_ctrl.h"
#include "resources/resource.h"

namespace
{
const int kWindows = 200;
const int kTabsPerWindow = 50;
const int kWidth = 640;
const int kHeight = 480;
const DWORD kTreeStyles =
    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_CHECKBOXES | TVS_FULLROWSELECT;

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct CTimes
{
    double fill = 0;
    double expand = 0;   // part of the fill
    double text = 0;     // part of the fill
    double paint = 0;
    double Total() const { return fill + paint; }
};

// What either tree is asked to do; the column tree writes column 1 through its text model, the
// plain tree view gets the same text in one message.
class CTreeUnderTest
{
public:
    virtual ~CTreeUnderTest() = default;
    virtual CTreeCtrl& Tree() = 0;
    virtual void SetAddress(HTREEITEM hTab, const std::wstring& strTitle, const std::wstring& strAddress) = 0;
};

// Fills the tree and paints the whole host once; false when a node is missing afterwards.
bool FillAndPaint(CTreeUnderTest& tree, HWND hHost, CTimes& times)
{
    CTreeCtrl& treeView = tree.Tree();
    double expand = 0;
    double text = 0;
    const double start = SecondsNow();
    for (int i = 1; i <= kWindows; ++i)
    {
        const HTREEITEM hWindow = treeView.InsertItem(L"Instance " + std::to_wstring(i), 0, 0);
        for (int j = 1; j <= kTabsPerWindow; ++j)
        {
            const std::wstring strTitle = L"Page " + std::to_wstring(j) + L" of window " + std::to_wstring(i);
            const HTREEITEM hTab = treeView.InsertItem(strTitle, 1, 1, hWindow);
            const std::wstring strAddress =
                L"http://www.example.com/window/" + std::to_wstring(i) + L"/tab/" + std::to_wstring(j);
            const double textStart = SecondsNow();
            tree.SetAddress(hTab, strTitle, strAddress);
            text += SecondsNow() - textStart;
        }
        const double expandStart = SecondsNow();
        treeView.Expand(hWindow, TVE_EXPAND);
        expand += SecondsNow() - expandStart;
    }
    const double filled = SecondsNow();
    RedrawWindow(hHost, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double painted = SecondsNow();
    times.fill = filled - start;
    times.expand = expand;
    times.text = text;
    times.paint = painted - filled;
    return treeView.SendMessage(TVM_GETCOUNT) == kWindows * (kTabsPerWindow + 1);
}

HIMAGELIST MakeImages()
{
    const HIMAGELIST hImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1);
    ImageList_AddIcon(hImages, LoadIcon(nullptr, IDI_APPLICATION));
    ImageList_AddIcon(hImages, LoadIcon(nullptr, IDI_INFORMATION));
    return hImages;
}

class CColumnTreeUnderTest : public CTreeUnderTest
{
public:
    CColumnTreeUnderTest(HWND hHost, HIMAGELIST hImages)
    {
        // A placeholder as a dialog template gives it; subclassing builds the control.
        const HWND hPlaceholder = CreateWindowExW(WS_EX_STATICEDGE, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                                  kWidth, kHeight, hHost, reinterpret_cast<HMENU>(210), nullptr,
                                                  nullptr);
        m_control.SubclassWindow(hPlaceholder);
        m_control.GetTreeCtrl().ModifyStyle(0, kTreeStyles);
        m_control.GetTreeCtrl().SetImageList(hImages, TVSIL_NORMAL);
        m_control.InsertColumn(0, L"Name", HDF_LEFT, 216);
        m_control.InsertColumn(1, L"Location", HDF_LEFT, 209);
    }
    ~CColumnTreeUnderTest() override { DestroyWindow(m_control.m_hWnd); }
    CTreeCtrl& Tree() override { return m_control.GetTreeCtrl(); }
    void SetAddress(HTREEITEM hTab, const std::wstring&, const std::wstring& strAddress) override
    {
        m_control.SetItemText(hTab, 1, strAddress);
    }

private:
    CColumnTreeCtrl m_control{
        CTreeChildBitmaps{IDB_TREE_BUTTONS, IDB_TICK_BOX_TICKED, IDB_TICK_BOX_CLEAR, IDB_TICK_BOX_PARTLY}};
};

class CPlainTreeUnderTest : public CTreeUnderTest
{
public:
    CPlainTreeUnderTest(HWND hHost, HIMAGELIST hImages)
    {
        m_tree.Attach(CreateWindowExW(WS_EX_STATICEDGE, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0,
                                      kWidth, kHeight, hHost, reinterpret_cast<HMENU>(210), nullptr, nullptr));
        m_hTree = m_tree.m_hWnd;
        SetWindowLongPtrW(m_hTree, GWL_STYLE, GetWindowLongPtrW(m_hTree, GWL_STYLE) | kTreeStyles);
        SendMessageW(m_hTree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(hImages));
    }
    ~CPlainTreeUnderTest() override
    {
        SendMessageW(m_hTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        DestroyWindow(m_hTree);
    }
    CTreeCtrl& Tree() override { return m_tree; }
    void SetAddress(HTREEITEM hTab, const std::wstring& strTitle, const std::wstring& strAddress) override
    {
        const std::wstring strText = strTitle + L"\t" + strAddress + L"\t";
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hTab;
        item.pszText = const_cast<wchar_t*>(strText.c_str());
        SendMessageW(m_hTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

private:
    CTreeCtrl m_tree;  // borrowed: the handle is destroyed here, not by the wrapper
    HWND m_hTree = nullptr;
};

template <typename TTree>
bool RunOne(HWND hHost, HIMAGELIST hImages, CTimes& best)
{
    CTimes times;
    bool bComplete = false;
    {
        TTree tree(hHost, hImages);
        PumpMessages();
        bComplete = FillAndPaint(tree, hHost, times);
    }
    PumpMessages();
    if (best.Total() == 0 || times.Total() < best.Total())
        best = times;
    return bComplete;
}

void Print(const char* pszName, const CTimes& times)
{
    std::printf("%-16s fill %8.1f ms (texts %7.1f, expanding %7.1f)   repaint %7.1f ms   total %8.1f ms\n",
                pszName, times.fill * 1000, times.text * 1000, times.expand * 1000, times.paint * 1000,
                times.Total() * 1000);
}
}  // namespace

int main(int argc, char** argv)
{
    const int nRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);

    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuillmereColumnTreeBench";
    RegisterClassW(&wc);
    const HWND hHost = CreateWindowExW(0, wc.lpszClassName, L"Column tree benchmark", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       20, 20, kWidth + 40, kHeight + 60, nullptr, nullptr, wc.hInstance, nullptr);
    if (!hHost)
    {
        std::fprintf(stderr, "no window: is there a display?\n");
        return 1;
    }
    const HIMAGELIST hImages = MakeImages();
    PumpMessages();

    CTimes column;
    CTimes plain;
    bool bComplete = true;
    for (int i = 0; i < nRounds; ++i)
    {
        // Alternating, so that neither profits from going second.
        if (i % 2 == 0)
        {
            bComplete &= RunOne<CColumnTreeUnderTest>(hHost, hImages, column);
            bComplete &= RunOne<CPlainTreeUnderTest>(hHost, hImages, plain);
        }
        else
        {
            bComplete &= RunOne<CPlainTreeUnderTest>(hHost, hImages, plain);
            bComplete &= RunOne<CColumnTreeUnderTest>(hHost, hImages, column);
        }
    }

    std::printf("%d windows x %d tabs (%d nodes), best of %d rounds\n", kWindows, kTabsPerWindow,
                kWindows * (kTabsPerWindow + 1), nRounds);
    Print("column tree", column);
    Print("plain tree view", plain);
    const double ratio = column.Total() / plain.Total();
    std::printf("ratio column tree / plain tree view: %.2f (target 2.00 or less)\n", ratio);

    DestroyWindow(hHost);
    ImageList_Destroy(hImages);
    if (!bComplete)
    {
        std::fprintf(stderr, "a fill did not insert every node\n");
        return 1;
    }
    return 0;
}
