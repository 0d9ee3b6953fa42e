#include "ui/sessions_tab_page.h"

#include <shlwapi.h>

#include "base/throw_if.h"
#include "session/file_operations.h"
#include "session/manual_saved_instance_saver.h"
#include "session/saved_session_catalogue.h"
#include "ui/error_box.h"
#include "ui/session_name_dialog.h"
#include "win/string_table.h"

namespace
{
// The next window with tabs from nNext on, the one the next root node stands for: the tree has a
// node only for windows with tabs. Found as the walk of the nodes goes, since a session may hold
// tens of thousands of windows.
const CInstanceSet* NextWindowOfRootNode(const CSession& source, int& nNext)
{
    while (nNext < source.GetInstanceSetsCount())
    {
        const CInstanceSet* pWindow = source.GetInstanceSet(nNext++);
        if (pWindow && pWindow->GetUrlItemsCount() > 0)
            return pWindow;
    }
    return nullptr;
}

std::wstring TodaysName()
{
    SYSTEMTIME today{};
    ::GetLocalTime(&today);
    return FormatString(L"%04d-%02d-%02d", today.wYear, today.wMonth, today.wDay);
}

std::wstring SessionFilePath(const std::wstring& strName)
{
    std::wstring strPath;
    GetSessionFolder(strPath);
    // Without a folder the path would name a file at the root of the drive.
    return strPath.empty() ? std::wstring() : strPath + L"\\" + strName;
}

void AddExStyle(HWND hWnd, DWORD dwExStyle)
{
    if (hWnd)
        ::SetWindowLongPtrW(hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) | dwExStyle);
}
}  // namespace

CSessionsTabPage::CSessionsTabPage(CWnd* pParent, IOsOperations& os)
    : CTabPage(IDD_SESSIONS_PAGE, pParent), m_folderLocator(os)
{
}

CSessionsTabPage::~CSessionsTabPage()
{
    if (m_pAnchorHelper)
        m_pAnchorHelper->Clear();
    m_pAnchorHelper.reset();
}

void CSessionsTabPage::DoDataExchange(CDataExchange& dx)
{
    CTabPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_SESSIONS_LOAD, m_btnLoad);
    DDX_Control(dx, IDC_SESSIONS_SAVE, m_btnSave);
    DDX_Control(dx, IDC_SESSIONS_RENAME, m_btnRename);
    DDX_Control(dx, IDC_SESSIONS_DELETE, m_btnDelete);
    DDX_Control(dx, IDC_SESSIONS_SELECT_ALL, m_btnSelectAll);
    DDX_Control(dx, IDC_SESSIONS_SELECT_NONE, m_btnSelectNone);
    DDX_Control(dx, IDC_SESSIONS_LIST, m_listSessions);
    DDX_Control(dx, IDC_SESSIONS_SPLITTER, m_splitter);
    DDX_Control(dx, IDC_SESSIONS_TREE, m_treeSession);
    DDX_Control(dx, IDC_SESSIONS_FIND_LABEL, m_staticFind);
    DDX_Control(dx, IDC_SESSIONS_FIND, m_editFind);
}

void CSessionsTabPage::SetCurrentSession(CSession* pCurrentSession)
{
    ThrowIfNull(pCurrentSession, "CSessionsTabPage::SetCurrentSession() - pCurrentSession is NULL");
    m_pCurrentSession = pCurrentSession;
}

// --- Saved sessions -----------------------------------------------------------------------------

void CSessionsTabPage::LoadSavedSessions()
{
    ::LoadSavedSessions(m_savedSessions, m_folderLocator,
                        [this](const CLoadFailure& failure) { return OnLoadFailure(failure); });
}

bool CSessionsTabPage::OnLoadFailure(const CLoadFailure& failure)
{
    const std::wstring strCaption = LoadResString(IDS_UNABLE_TO_LOAD_SESSION);
    if (failure.kind == ELoadFailureKind::StandardException)
    {
        // A refused file: say why and let the user decide whether to read the others.
        const std::wstring strSubject =
            FormatNamedMessage(failure.strFileName, IDS_UNABLE_TO_LOAD_FILE, IDS_UNABLE_TO_LOAD_UNKNOWN_FILE);
        std::wstring strText =
            failure.strReason.empty()
                ? FormatResString(IDS_STD_EXCEPTION_UNKNOWN, strSubject.c_str())
                : FormatResString(IDS_STD_EXCEPTION_REASON, strSubject.c_str(), failure.strReason.c_str());
        strText += LoadResString(IDS_LOAD_FAILURE_QUESTION);
        return ::MessageBoxW(m_hWnd, strText.c_str(), strCaption.c_str(), MB_YESNO | MB_ICONSTOP) == IDYES;
    }

    // Anything else (text that is not UTF-8 among them) stops the loading.
    const std::wstring strText = FormatNamedMessage(failure.strFileName, IDS_UNABLE_TO_LOAD_FILE_UNKNOWN,
                                                    IDS_UNABLE_TO_LOAD_UNKNOWN_FILE_UNKNOWN);
    ::MessageBoxW(nullptr, strText.c_str(), strCaption.c_str(), MB_OK | MB_ICONSTOP);
    return false;
}

// --- Set-up and layout --------------------------------------------------------------------------

BOOL CSessionsTabPage::OnInitDialog()
{
    const bool bInitialized =
        RunReportingErrors(IDS_UNABLE_TO_INITIALIZE, IDS_UNABLE_TO_INITIALIZE, IDS_UNABLE_TO_INITIALIZE, [&] {
            // First, so that the keys match the sessions whatever fails below.
            while (m_savedSessionKeys.size() < m_savedSessions.size())
                m_savedSessionKeys.push_back({m_nNextKey++, nullptr});
            ThrowIf(CTabPage::OnInitDialog() != TRUE, "CSessionsTabPage::OnInitDialog() - OnInitDialog() falied");
            ThrowIfNull(m_pCurrentSession, "CSessionsTabPage::OnInitDialog() - m_pCurrentSession is NULL");

            m_strSaveCaption = LoadResString(IDS_SAVE_BUTTON);
            m_strSaveAsCaption = LoadResString(IDS_SAVE_AS_BUTTON);

            m_pAnchorHelper = std::make_unique<CControlAnchorHelper>(this);
            m_pAnchorHelper->InitializeAnchors();
            for (CWnd* pButton : {&m_btnSave, &m_btnLoad, &m_btnRename, &m_btnDelete})
                m_pAnchorHelper->SetAnchor(pButton, 0, 0, 1, 1, 0);
            for (CWnd* pControl : {static_cast<CWnd*>(&m_btnSelectAll), static_cast<CWnd*>(&m_btnSelectNone),
                                   static_cast<CWnd*>(&m_staticFind)})
                m_pAnchorHelper->SetAnchor(pControl, 0, 1, 0, 0, 1);
            m_pAnchorHelper->SetAnchor(&m_editFind, 0, 1, 1, 0, 1);
            m_pAnchorHelper->SetAnchor(&m_listSessions, 0, 1, 1, 1, 0);
            m_pAnchorHelper->SetAnchor(&m_splitter, 0, 1, 1, 1, 0);
            m_pAnchorHelper->SetAnchor(&m_treeSession, 0, 1, 1, 1, 1);
            RECT rcPage{};
            GetWindowRect(&rcPage);
            m_pAnchorHelper->OnParentSize(RectWidth(rcPage), RectHeight(rcPage));

            m_listSessions.InitColumns();
            m_treeSession.InitTree();

            // The Tab key reaches the page's controls only when every window between them and the
            // dialog that runs the loop is a control parent.
            AddExStyle(m_hWnd, WS_EX_CONTROLPARENT);
            const HWND hParent = ::GetParent(m_hWnd);
            AddExStyle(hParent, WS_EX_CONTROLPARENT);
            if (hParent)
                AddExStyle(::GetParent(hParent), WS_EX_CONTROLPARENT);

            m_listSessions.AddSession(*m_pCurrentSession, -1);
            for (size_t i = 0; i < m_savedSessions.size(); ++i)
                m_listSessions.AddSession(m_savedSessions[i], -1, m_savedSessionKeys[i].nKey);

            m_splitter.AttachControls(&m_listSessions, &m_treeSession);
            m_splitter.SetAnchorHelper(m_pAnchorHelper.get());

            m_listSessions.SetFocus();
            m_listSessions.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);

            RefreshSessionTree();
            UpdateControls();
        });
    return bInitialized ? TRUE : FALSE;
}

void CSessionsTabPage::OnSize(UINT nType, int cx, int cy)
{
    CTabPage::OnSize(nType, cx, cy);
    if (m_pAnchorHelper)
        m_pAnchorHelper->OnParentSize(cx, cy);
}

void CSessionsTabPage::FocusSessionList()
{
    if (m_hWnd && m_listSessions.m_hWnd)
        PostMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_listSessions.m_hWnd), TRUE);
}

void CSessionsTabPage::UpdateControls()
{
    const int nRows = m_listSessions.GetItemCount();
    const int nSelectedRows = static_cast<int>(m_listSessions.SendMessage(LVM_GETSELECTEDCOUNT));
    const int nSelected = m_listSessions.GetSelectedIndex();
    const UINT nNodes = m_treeSession.GetTreeCtrl().GetCount();

    const bool bCurrentHasTabs = nSelected == 0 && m_pCurrentSession && m_pCurrentSession->GetUrlItemsCount() > 0;
    const std::wstring& strCaption = bCurrentHasTabs ? m_strSaveCaption : m_strSaveAsCaption;
    if (m_btnSave.GetWindowText() != strCaption)
        m_btnSave.SetWindowText(strCaption);

    const bool bSavedSession = nRows > 0 && nSelectedRows > 0 && nSelected >= 1;
    const bool bHasNodes = nNodes > 0;
    const std::pair<CButton*, bool> states[] = {
        {&m_btnLoad, bSavedSession},   {&m_btnRename, bSavedSession},  {&m_btnDelete, bSavedSession},
        {&m_btnSelectAll, bHasNodes}, {&m_btnSelectNone, bHasNodes},
    };
    for (const auto& state : states)
    {
        // A button that goes grey under the focus would leave the keyboard nowhere.
        if (!state.second && ::GetFocus() == state.first->m_hWnd)
            FocusSessionList();
        state.first->EnableWindow(state.second);
    }
}

// --- Notifications ------------------------------------------------------------------------------

BOOL CSessionsTabPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_SESSIONS_SAVE:
            OnBnClickedSave();
            return TRUE;
        case IDC_SESSIONS_LOAD:
            OnBnClickedLoad();
            return TRUE;
        case IDC_SESSIONS_RENAME:
            OnBnClickedRename();
            return TRUE;
        case IDC_SESSIONS_DELETE:
            OnBnClickedDelete();
            return TRUE;
        case IDC_SESSIONS_SELECT_ALL:
            OnBnClickedSelectAll();
            return TRUE;
        case IDC_SESSIONS_SELECT_NONE:
            OnBnClickedSelectNone();
            return TRUE;
        default:
            break;
        }
    }
    if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_SESSIONS_FIND)
    {
        OnFindChanged();
        return TRUE;
    }
    return CTabPage::OnCommand(wParam, lParam);
}

LRESULT CSessionsTabPage::OnNotify(NMHDR* pNmhdr)
{
    if (pNmhdr->idFrom != IDC_SESSIONS_LIST)
        return CTabPage::OnNotify(pNmhdr);
    switch (pNmhdr->code)
    {
    case LVN_ITEMCHANGED:
        // Every change, of the row losing the selection as of the row gaining it.
        if (!m_bFiltering)
            OnListItemChanged();
        return 0;
    case LVN_ITEMACTIVATE:
    case LVN_ODCACHEHINT:
    case LVN_ODSTATECHANGED:
    case NM_DBLCLK:
        // A double click or Enter on a row opens nothing.
        return 0;
    default:
        return CTabPage::OnNotify(pNmhdr);
    }
}

void CSessionsTabPage::OnListItemChanged()
{
    RefreshSessionTree();
    UpdateControls();
}

// --- The session tree ---------------------------------------------------------------------------

void CSessionsTabPage::RefreshSessionTree()
{
    m_treeSession.DeleteAllItems();
    const CSession* pSession = GetSelectedSession();
    if (!pSession)
        return;

    // Inserting with the tree's drawing off is many times faster for large sessions.
    CCustomTreeChildCtrl& tree = m_treeSession.GetTreeCtrl();
    tree.SetRedraw(FALSE);
    m_treeSession.DisplaySession(pSession);
    if (!m_search.IsEmpty())
        ShowMatchesInTree(*pSession);
    tree.SetRedraw(TRUE);
    m_treeSession.RepositionControls();
    tree.Invalidate(TRUE);
}

const CSession* CSessionsTabPage::GetSelectedSession() const
{
    const int nSelected = m_listSessions.GetSelectedIndex();
    if (nSelected == 0)
        return m_pCurrentSession;
    const int nIndex = GetSavedSessionIndexOfRow(nSelected);
    return nIndex < 0 ? nullptr : &m_savedSessions[static_cast<size_t>(nIndex)];
}

int CSessionsTabPage::GetSavedSessionIndexOfRow(int nRow) const
{
    if (nRow < 1 || nRow >= m_listSessions.GetItemCount())
        return -1;
    const LPARAM nKey = m_listSessions.GetItemData(nRow);
    for (size_t i = 0; i < m_savedSessionKeys.size() && i < m_savedSessions.size(); ++i)
    {
        if (m_savedSessionKeys[i].nKey == nKey)
            return static_cast<int>(i);
    }
    return -1;
}

int CSessionsTabPage::GetSelectedSavedSessionIndex() const
{
    const int nCurrentListItem = m_listSessions.GetSelectedIndex();
    ThrowIf(nCurrentListItem < 1 || nCurrentListItem >= m_listSessions.GetItemCount(),
            "CSessionsTabPage::GetSelectedSavedSessionIndex() - nCurrentListItem is invalid");
    const int nCurrentSession = GetSavedSessionIndexOfRow(nCurrentListItem);
    ThrowIf(nCurrentSession < 0 || nCurrentSession >= static_cast<int>(m_savedSessions.size()),
            "CSessionsTabPage::GetSelectedSavedSessionIndex() - nCurrentSession is invalid");
    return nCurrentSession;
}

bool CSessionsTabPage::IsSavedSessionSelected(int nCurrentSession,
                                              const std::wstring& strName) const
{
    return nCurrentSession >= 0 && nCurrentSession < static_cast<int>(m_savedSessions.size()) &&
           GetSavedSessionIndexOfRow(m_listSessions.GetSelectedIndex()) == nCurrentSession &&
           m_savedSessions[static_cast<size_t>(nCurrentSession)].GetName() == strName;
}

std::unique_ptr<CSession> CSessionsTabPage::GetCheckedSession()
{
    const int nSelected = m_listSessions.GetSelectedIndex();
    const CSession* pSource = nullptr;
    if (nSelected == 0)
        pSource = m_pCurrentSession;
    else  // no selection: out of range
        pSource = &m_savedSessions.at(static_cast<size_t>(GetSavedSessionIndexOfRow(nSelected)));
    ThrowIfNull(pSource, "CSessionsTabPage::GetCheckedSession() - m_pCurrentSession is NULL");
    ThrowIf(pSource->GetName().empty(), "CSessionsTabPage::GetCheckedSession() - BadSavedSessionTitle");

    auto pTarget = std::make_unique<CSession>(pSource->GetName(), pSource->GetTime());
    CCustomTreeChildCtrl& tree = m_treeSession.GetTreeCtrl();
    const HTREEITEM hRoot = tree.GetRootItem();
    ThrowIfNull(hRoot, "CSessionsTabPage::GetCheckedSession() - GetRootItemFailed");
    ParseRootNode(tree, hRoot, *pSource, *pTarget);
    return pTarget;
}

void CSessionsTabPage::ParseRootNode(CCustomTreeChildCtrl& tree, HTREEITEM hFirstRoot, const CSession& source,
                                     CSession& target)
{
    int nNextWindow = 0;
    for (HTREEITEM hRoot = hFirstRoot; hRoot; hRoot = tree.GetNextSiblingItem(hRoot))
    {
        const CInstanceSet* pSourceWindow = NextWindowOfRootNode(source, nNextWindow);
        if (tree.GetCheckState(hRoot) == kCheckClear)
            continue;
        CInstanceSet window;
        const HTREEITEM hFirstChild = tree.GetChildItem(hRoot);
        ThrowIf(hFirstChild == nullptr, "CSessionsTabPage::ParseRootNode() - RootNodeHasALeafItem");
        if (!pSourceWindow)
            continue;
        ParseChildNode(tree, hFirstChild, pSourceWindow, window);
        if (window.GetUrlItemsCount() > 0)
            target.AddInstanceSet(window);
    }
}

void CSessionsTabPage::ParseChildNode(CCustomTreeChildCtrl& tree, HTREEITEM hCurrentNode,
                                      const CInstanceSet* pSourceInstanceSet, CInstanceSet& target)
{
    ThrowIfNull(hCurrentNode, "CSessionsTabPage::ParseChildNode() - hCurrentNode is NULL");
    ThrowIfNull(pSourceInstanceSet, "CSessionsTabPage::ParseChildNode() - pSourceInstanceSet is NULL");
    int t = 0;
    for (HTREEITEM hChild = hCurrentNode; hChild; hChild = tree.GetNextSiblingItem(hChild), ++t)
    {
        if (tree.GetCheckState(hChild) == kCheckClear)
            continue;
        if (const CUrlItem* pTab = pSourceInstanceSet->GetUrlItem(t))
            target.AddUrlItem(*pTab);
    }
}

// --- Actions ------------------------------------------------------------------------------------

void CSessionsTabPage::OnBnClickedSave()
{
    std::wstring strFileName;
    INT_PTR nResult = IDCANCEL;
    const bool bNamed = RunReportingErrors(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT, IDS_SAVE_UNKNOWN, [&] {
        const int nSelected = m_listSessions.GetSelectedIndex();
        const std::wstring strProposal =
            nSelected == 0
                ? TodaysName()
                : m_savedSessions.at(static_cast<size_t>(GetSavedSessionIndexOfRow(nSelected))).GetName();
        CSessionNameDialog dialog(strProposal.c_str(), CSessionNameDialog::kModeSave, nullptr);
        nResult = dialog.DoModal();
        if (nResult == IDOK)
        {
            dialog.GetFileName(strFileName);
            ThrowIf(strFileName.empty(), "CSessionsTabPage::OnBnClickedSave() - strFileName is empty");
        }
    });
    if (!bNamed || nResult != IDOK || strFileName.empty())
        return;

    std::unique_ptr<CSession> pCheckedSession;
    const bool bSaved = RunReportingErrors(IDS_SAVE_CAPTION, IDS_SAVE_CONTEXT, IDS_SAVE_UNKNOWN, [&] {
        pCheckedSession = GetCheckedSession();
        CManualSavedInstanceSaver saver;
        // The name dialog refused existing names: one taken since belongs to another writer.
        saver.SetReplaceExisting(false);
        saver.SetSession(pCheckedSession.get());
        saver.Save(strFileName.c_str());
    });
    // A failed save leaves nothing of its own behind, and a file found under the name now
    // belongs to another writer: it stays.
    if (!bSaved)
        return;

    try
    {
        // The row shows the time of the session it was made from until the list is read again;
        // a find that it does not match leaves it out until the find changes.
        AppendSavedSession(*pCheckedSession);
        if (SavedSessionMatches(m_savedSessionKeys.size() - 1))
            m_listSessions.AddSession(*pCheckedSession, -1, m_savedSessionKeys.back().nKey);
    }
    catch (...)
    {
    }
}

void CSessionsTabPage::OnBnClickedLoad()
{
    RunReportingErrors(IDS_UNABLE_TO_OPEN_URLS, IDS_LOAD_CONTEXT, IDS_LOAD_UNKNOWN, [&] {
        m_nCurrentListItem = m_listSessions.GetSelectedIndex();
        ThrowIf(m_nCurrentListItem < 1 || m_nCurrentListItem >= m_listSessions.GetItemCount(),
                "CSessionsTabPage::OnBnClickedLoad() - m_nCurrentListItem is invalid");
        m_pUserSelectedSessionNodes = GetCheckedSession();
        ThrowIfNull(m_pUserSelectedSessionNodes.get(),
                    "CSessionsTabPage::OnBnClickedLoad() - m_pUserSelectedSessionNodes is NULL");

        // The session is opened by whoever ran the main dialog, once it has ended.
        const HWND hTopLevel = ::GetAncestor(m_hWnd, GA_ROOT);
        if (CDialog* pDialog = dynamic_cast<CDialog*>(FromHandlePermanent(hTopLevel)))
            pDialog->EndDialog(IDC_SESSIONS_LOAD);
        else
            ::EndDialog(hTopLevel, IDC_SESSIONS_LOAD);
    });
}

void CSessionsTabPage::OnBnClickedRename()
{
    RunReportingErrors(IDS_RENAME_CAPTION, IDS_RENAME_CONTEXT, IDS_RENAME_UNKNOWN, [&] {
        const int nCurrentSession = GetSelectedSavedSessionIndex();
        const std::wstring strOldName = m_savedSessions[static_cast<size_t>(nCurrentSession)].GetName();

        CSessionNameDialog dialog(strOldName.c_str(), CSessionNameDialog::kModeRename, nullptr);
        if (dialog.DoModal() != IDOK)
            return;
        std::wstring strNewFileName;
        dialog.GetFileName(strNewFileName);
        ThrowIf(strNewFileName.empty(), "CSessionsTabPage::OnBnClickedRename() - strNewFileName is empty");

        std::wstring strPath;
        GetSessionFolder(strPath);
        ThrowIf(strPath.empty(), "CSessionsTabPage::OnBnClickedRename() - strPath is empty");
        strPath += L"\\";

        // The name dialog disables the main dialog, so the selection cannot have moved; should it
        // have all the same, nothing is renamed rather than the wrong row.
        ThrowIf(!IsSavedSessionSelected(nCurrentSession, strOldName),
                "CSessionsTabPage::OnBnClickedRename() - nCurrentSession is invalid");
        RenameSessionFile(strPath + strOldName, strPath + strNewFileName);

        m_savedSessions[static_cast<size_t>(nCurrentSession)].SetName(strNewFileName);
        // The row stays while the find holds, even when only the old name matched it.
        m_savedSessionKeys[static_cast<size_t>(nCurrentSession)].pSearchText.reset();
        const LPARAM nKey = m_savedSessionKeys[static_cast<size_t>(nCurrentSession)].nKey;
        const int nRow = m_listSessions.FindItemByData(nKey);
        ThrowIf(nRow < 1 || nRow >= m_listSessions.GetItemCount(),
                "CSessionsTabPage::OnBnClickedRename() - nCurrentSession is invalid (2)");
        m_listSessions.SetItemText(nRow, CSessionsListCtrl::kColumnName, strNewFileName);
    });
}

void CSessionsTabPage::OnBnClickedDelete()
{
    RunReportingErrors(IDS_DELETE_CAPTION, IDS_DELETE_CONTEXT, IDS_DELETE_UNKNOWN, [&] {
        const int nCurrentSession = GetSelectedSavedSessionIndex();
        const std::wstring strName =
            m_savedSessions[static_cast<size_t>(nCurrentSession)].GetName();
        const std::wstring strQuestion = FormatResString(IDS_CONFIRM_DELETE_TEXT, strName.c_str());
        const std::wstring strCaption = LoadResString(IDS_CONFIRM_DELETE_CAPTION);
        if (::MessageBoxW(m_hWnd, strQuestion.c_str(), strCaption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;

        // The question was about this row: whatever moved meanwhile, no other one goes.
        ThrowIf(!IsSavedSessionSelected(nCurrentSession, strName),
                "CSessionsTabPage::OnBnClickedDelete() - nCurrentSession is invalid");
        const LPARAM nKey = m_savedSessionKeys[static_cast<size_t>(nCurrentSession)].nKey;
        const int nRow = m_listSessions.FindItemByData(nKey);
        m_savedSessions.erase(m_savedSessions.begin() + nCurrentSession);
        m_savedSessionKeys.erase(m_savedSessionKeys.begin() + nCurrentSession);
        ThrowIf(nRow < 1 || nRow >= m_listSessions.GetItemCount(),
                "CSessionsTabPage::OnBnClickedDelete() - nCurrentSession is invalid (2)");
        m_listSessions.DeleteItem(nRow);

        const std::wstring strPath = SessionFilePath(strName);
        ThrowIf(strPath.empty(), "CSessionsTabPage::OnBnClickedDelete() - strPath is empty");
        RemoveSessionFile(strPath);

        // The row that moved up into the deleted one's place, or the current session.
        const int nNext = nRow < m_listSessions.GetItemCount() ? nRow : 0;
        m_listSessions.SetItemState(nNext, LVIS_SELECTED, LVIS_SELECTED);
    });
}

void CSessionsTabPage::OnBnClickedSelectAll()
{
    m_treeSession.CheckAll(TRUE);
}

void CSessionsTabPage::OnBnClickedSelectNone()
{
    m_treeSession.CheckAll(FALSE);
}

// --- Finding ------------------------------------------------------------------------------------

void CSessionsTabPage::AppendSavedSession(const CSession& session)
{
    m_savedSessionKeys.push_back({m_nNextKey++, nullptr});
    try
    {
        m_savedSessions.push_back(session);
    }
    catch (...)
    {
        m_savedSessionKeys.pop_back();
        throw;
    }
}

bool CSessionsTabPage::SavedSessionMatches(size_t nIndex)
{
    if (m_search.IsEmpty())
        return true;
    std::unique_ptr<CSessionSearchText>& pText = m_savedSessionKeys[nIndex].pSearchText;
    if (!pText)
        pText = std::make_unique<CSessionSearchText>(m_savedSessions[nIndex]);
    return pText->Matches(m_search);
}

void CSessionsTabPage::OnFindChanged()
{
    const int nSelectedBefore = m_listSessions.GetSelectedIndex();
    const LPARAM nSelectedKey = nSelectedBefore < 0 ? -1 : m_listSessions.GetItemData(nSelectedBefore);
    m_search = CSessionSearch(m_editFind.GetWindowText());

    // Rows that stay are left in place, so that the list neither flickers nor loses its
    // selection; the others go or come in the order of the saved sessions.
    m_bFiltering = true;
    m_listSessions.SetRedraw(FALSE);
    int nRow = 1;
    for (size_t i = 0; i < m_savedSessionKeys.size(); ++i)
    {
        const LPARAM nKey = m_savedSessionKeys[i].nKey;
        const bool bShown = nRow < m_listSessions.GetItemCount() && m_listSessions.GetItemData(nRow) == nKey;
        if (SavedSessionMatches(i))
        {
            if (!bShown)
                m_listSessions.AddSession(m_savedSessions[i], nRow, nKey);
            ++nRow;
        }
        else if (bShown)
        {
            m_listSessions.DeleteItem(nRow);
        }
    }
    m_listSessions.SetRedraw(TRUE);
    m_listSessions.Invalidate(TRUE);
    m_bFiltering = false;

    // A page whose set-up failed may have no current session, yet its field still takes keys.
    const bool bCurrentMatches = m_pCurrentSession && m_search.SessionMatches(*m_pCurrentSession);
    m_editFind.SetNoMatch(!m_search.IsEmpty() && nRow == 1 && !bCurrentMatches);

    const int nSelected = m_listSessions.GetSelectedIndex();
    if (nSelectedBefore >= 0 && (nSelected < 0 || m_listSessions.GetItemData(nSelected) != nSelectedKey))
    {
        // The selected row went: the current session takes its place, and the selection change
        // shows it in the tree.
        m_listSessions.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_listSessions.EnsureVisible(0);
        return;
    }
    if (const CSession* pSession = GetSelectedSession())
        ShowMatchesInTree(*pSession);
}

void CSessionsTabPage::ShowMatchesInTree(const CSession& session)
{
    CCustomTreeChildCtrl& tree = m_treeSession.GetTreeCtrl();
    HTREEITEM hFirstMatch = nullptr;
    int nNextWindow = 0;
    for (HTREEITEM hRoot = tree.GetRootItem(); hRoot; hRoot = tree.GetNextSiblingItem(hRoot))
    {
        const CInstanceSet* pWindow = NextWindowOfRootNode(session, nNextWindow);
        bool bWindowMatches = false;
        int t = 0;
        for (HTREEITEM hTab = tree.GetChildItem(hRoot); hTab; hTab = tree.GetNextSiblingItem(hTab), ++t)
        {
            const CUrlItem* pTab = pWindow ? pWindow->GetUrlItem(t) : nullptr;
            const bool bMatches = !m_search.IsEmpty() && pTab && m_search.TabMatches(*pTab);
            tree.SetItemState(hTab, bMatches ? TVIS_BOLD : 0, TVIS_BOLD);
            if (bMatches && !hFirstMatch)
                hFirstMatch = hTab;
            bWindowMatches = bWindowMatches || bMatches;
        }
        if (bWindowMatches)
            tree.Expand(hRoot, TVE_EXPAND);
    }
    if (hFirstMatch)
    {
        tree.SelectItem(hFirstMatch);
        tree.EnsureVisible(hFirstMatch);
    }
}
