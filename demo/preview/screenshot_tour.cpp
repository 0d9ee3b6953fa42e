#include "demo/preview/screenshot_tour.h"

#include <utility>

#include "controls/custom_tree_child_ctrl.h"
#include "demo/support/screenshot.h"
#include "demo/support/sys_colors.h"
#include "demo/support/top_level_windows.h"
#include "resources/resource.h"

namespace
{
const UINT kTickMs = 150;
// A tour that has not finished by then is stuck (a box nobody expected, a window never shown).
const DWORD kTimeLimitMs = 30000;

CScreenshotTour* s_pTour = nullptr;
}  // namespace

CScreenshotTour::CScreenshotTour(CSessionManagerDialog& dialog, const std::wstring& strFolder)
    : m_dialog(dialog), m_strFolder(strFolder)
{
}

CScreenshotTour::~CScreenshotTour()
{
    if (m_nTimer)
        ::KillTimer(nullptr, m_nTimer);
    if (s_pTour == this)
        s_pTour = nullptr;
}

void CScreenshotTour::Start()
{
    s_pTour = this;
    m_dwStarted = ::GetTickCount();
    m_nTimer = ::SetTimer(nullptr, 0, kTickMs, &CScreenshotTour::OnTimer);
    if (!m_nTimer)
        Fail(L"no timer");
}

void CALLBACK CScreenshotTour::OnTimer(HWND /*hWnd*/, UINT /*nMsg*/, UINT_PTR /*nId*/, DWORD /*dwTime*/)
{
    if (s_pTour)
        s_pTour->Step();
}

HWND CScreenshotTour::FindNameDialog() const
{
    const HWND hMain = m_dialog.m_hWnd;
    return FindTopLevelWindow(
        [hMain](HWND hWnd) { return hWnd != hMain && IsDialogClass(hWnd) && ::GetDlgItem(hWnd, IDC_FILE_NAME); },
        ::GetCurrentThreadId());
}

bool CScreenshotTour::Save(HWND hWnd, const wchar_t* pszName)
{
    const std::wstring strPath = m_strFolder + L"\\" + pszName;
    if (!SaveWindowBitmap(hWnd, strPath))
    {
        Fail(L"cannot write " + strPath);
        return false;
    }
    m_files.push_back(strPath);
    return true;
}

void CScreenshotTour::Fail(const std::wstring& strWhy)
{
    if (m_strFailure.empty())
        m_strFailure = strWhy;
    m_eStep = EStep::Done;
    if (m_nTimer)
        ::KillTimer(nullptr, std::exchange(m_nTimer, 0));
    if (const HWND hName = FindNameDialog())
        ::PostMessageW(hName, WM_COMMAND, IDCANCEL, 0);
    if (m_dialog.m_hWnd)
        m_dialog.PostMessage(WM_COMMAND, IDCANCEL, 0);
}

void CScreenshotTour::Step()
{
    // A step that shows a box runs a loop of its own, where the timer comes again.
    if (m_bInStep || m_eStep == EStep::Done)
        return;
    m_bInStep = true;
    if (::GetTickCount() - m_dwStarted > kTimeLimitMs)
    {
        Fail(L"the window did not get through its pages in time");
        m_bInStep = false;
        return;
    }

    CSessionsTabPage* pPage = m_dialog.GetSessionsTabPage();
    switch (m_eStep)
    {
    case EStep::WaitForWindow:
        // Shown, and the list has the focus that is posted to it on showing.
        if (m_dialog.m_hWnd && ::IsWindowVisible(m_dialog.m_hWnd) && pPage &&
            ::GetFocus() == pPage->GetSessionsList().m_hWnd)
        {
            // The first window partly ticked: its second tab cleared.
            CCustomTreeChildCtrl& tree = pPage->GetSessionTree().GetTreeCtrl();
            const HTREEITEM hFirstTab = tree.GetChildItem(tree.GetRootItem());
            const HTREEITEM hSecondTab = hFirstTab ? tree.GetNextSiblingItem(hFirstTab) : nullptr;
            if (hSecondTab)
            {
                tree.SetCheckState(hSecondTab, kCheckClear);
                tree.Invalidate();
            }
            m_eStep = EStep::Sessions;
        }
        break;
    case EStep::Sessions:
        if (!Save(m_dialog.m_hWnd, L"quillmere-sessions.bmp"))
            break;
        m_dialog.GetTabControl().SetCurSel(1);
        m_dialog.GetTabControl().ActivateTabPages();
        m_eStep = EStep::About;
        break;
    case EStep::About:
        if (!Save(m_dialog.m_hWnd, L"quillmere-about.bmp"))
            break;
        m_dialog.GetTabControl().SetCurSel(0);
        m_dialog.GetTabControl().ActivateTabPages();
        pPage->GetSessionsList().SetFocus();
        m_eStep = EStep::HighContrast;
        break;
    case EStep::HighContrast:
    {
        // The system tells every window of the change; the picture shows whether they listened.
        CSysColorsScope colours(HighContrastBlackColours());
        ::RedrawWindow(m_dialog.m_hWnd, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (!colours.Applied())
            Fail(L"the system colours could not be changed");
        else if (!Save(m_dialog.m_hWnd, L"quillmere-high-contrast.bmp"))
            break;
        m_eStep = m_eStep == EStep::Done ? EStep::Done : EStep::OpenNameDialog;
        break;
    }
    case EStep::OpenNameDialog:
        // Save, as the user presses it: the name dialog proposes a name for the current session.
        ::PostMessageW(::GetDlgItem(pPage->m_hWnd, IDC_SESSIONS_SAVE), BM_CLICK, 0, 0);
        m_eStep = EStep::NameDialog;
        break;
    case EStep::NameDialog:
        if (const HWND hName = FindNameDialog(); hName && ::IsWindowVisible(hName))
        {
            if (!Save(hName, L"quillmere-name-dialog.bmp"))
                break;
            ::PostMessageW(hName, WM_COMMAND, IDCANCEL, 0);
            m_eStep = EStep::WaitForNameDialogToClose;
        }
        break;
    case EStep::WaitForNameDialogToClose:
        if (!FindNameDialog())
        {
            // A text typed into the find field, and the session that holds it selected.
            ::SetFocus(::GetDlgItem(pPage->m_hWnd, IDC_SESSIONS_FIND));
            ::SetDlgItemTextW(pPage->m_hWnd, IDC_SESSIONS_FIND, L"review");
            pPage->GetSessionsList().SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_eStep = EStep::Find;
        }
        break;
    case EStep::Find:
        if (!Save(m_dialog.m_hWnd, L"quillmere-find.bmp"))
            break;
        ::SetDlgItemTextW(pPage->m_hWnd, IDC_SESSIONS_FIND, L"zebra");
        m_eStep = EStep::FindNothing;
        break;
    case EStep::FindNothing:
        if (!Save(m_dialog.m_hWnd, L"quillmere-find-nothing.bmp"))
            break;
        m_dialog.PostMessage(WM_COMMAND, IDOK, 0);
        m_eStep = EStep::Done;
        ::KillTimer(nullptr, std::exchange(m_nTimer, 0));
        break;
    case EStep::Done:
        break;
    }
    m_bInStep = false;
}
