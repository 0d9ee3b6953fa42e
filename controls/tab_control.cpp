#include "controls/tab_control.h"

#include "base/throw_if.h"

CTabControl::~CTabControl()
{
    // The helper goes first: it refers to this control and its pages. The pages are the owner's.
    m_pAnchorHelper.reset();
    m_dialogIds.clear();
    m_pages.clear();
    m_titles.clear();
}

void CTabControl::AddTabPage(CTabPage* pTabPage, const std::wstring& strTitle)
{
    ThrowIfNull(pTabPage, "CTabControl::AddTabPage() - pTabPage is NULL");
    m_pages.push_back(pTabPage);
    m_dialogIds.push_back(pTabPage->GetDialogId());
    m_titles.push_back(strTitle);
}

void CTabControl::InitializeTabPages()
{
    CreateTabPages();
    AnchorTabPages();
}

void CTabControl::CreateTabPages()
{
    // The dialog's keyboard navigation goes on into the pages.
    ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetExStyle() | WS_EX_CONTROLPARENT);
    for (std::size_t i = 0; i < m_pages.size(); ++i)
    {
        m_pages[i]->Create(m_dialogIds[i], this);
        InsertItem(static_cast<int>(i), m_titles[i]);
    }
}

void CTabControl::AnchorTabPages()
{
    m_pAnchorHelper = std::make_unique<CControlAnchorHelper>(this);
    m_pAnchorHelper->InitializeAnchors();
    for (CTabPage* pPage : m_pages)
        m_pAnchorHelper->SetAnchor(pPage, 0, 1, 1, 1, 1);
    // The starting size is measured as WM_SIZE measures every later one, the client size, so that
    // a border on the control does not shift the pages at the first resize.
    RECT rect{};
    GetClientRect(&rect);
    m_pAnchorHelper->OnParentSize(RectWidth(rect), RectHeight(rect));
}

void CTabControl::ActivateTabPages()
{
    const int nCurrentSelection = GetCurSel();
    ThrowIf(nCurrentSelection < 0 || static_cast<std::size_t>(nCurrentSelection) >= m_pages.size(),
            "CTabControl::ActivateTabPages() - nCurrentSelection is invalid");

    CTabPage* pSelected = m_pages[static_cast<std::size_t>(nCurrentSelection)];
    if (pSelected->GetSafeHwnd())
        pSelected->ShowWindow(SW_HIDE);

    // The pages are children of this control, so the display area is wanted in its client
    // coordinates.
    RECT rect{};
    GetClientRect(&rect);
    AdjustRect(FALSE, &rect);

    for (CTabPage* pPage : m_pages)
        pPage->SetWindowPos(HWND_TOP, rect.left, rect.top, RectWidth(rect), RectHeight(rect), SWP_HIDEWINDOW);
    pSelected->SetWindowPos(HWND_TOP, rect.left, rect.top, RectWidth(rect), RectHeight(rect), SWP_SHOWWINDOW);
    pSelected->ShowWindow(SW_SHOW);
}

bool CTabControl::OnReflectedNotify(NMHDR* pNmhdr, LRESULT* pResult)
{
    if (pNmhdr->code != TCN_SELCHANGE)
        return false;
    ActivateTabPages();
    *pResult = 0;
    return true;
}

void CTabControl::OnSize(UINT /*nType*/, int cx, int cy)
{
    Default();
    if (m_pAnchorHelper)
        m_pAnchorHelper->OnParentSize(cx, cy);
}
