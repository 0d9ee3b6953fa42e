// The Sessions page: the list of sessions (row 0 the current session, then the saved sessions that
// the find field's text is found in), the tree of the selected session's windows and tabs with
// tick boxes, and the actions Save, Load, Rename, Delete, Select All and Select None.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/control_anchor_helper.h"
#include "controls/dialog_splitter.h"
#include "controls/tab_page.h"
#include "resources/resource.h"
#include "session/session.h"
#include "session/session_folder.h"
#include "session/session_search.h"
#include "ui/find_edit.h"
#include "ui/session_column_tree_ctrl.h"
#include "ui/sessions_list_ctrl.h"
#include "win/common_controls.h"

struct CLoadFailure;

class CSessionsTabPage : public CTabPage
{
public:
    // The saved sessions are looked for through os.
    explicit CSessionsTabPage(CWnd* pParent = nullptr, IOsOperations& os = SystemOs());
    ~CSessionsTabPage() override;

    // Before the page's window exists. Throws for null; the session is borrowed.
    void SetCurrentSession(CSession* pCurrentSession);
    // Reads every saved session of the session folder; asks the user about a file that cannot be
    // read. Throws when the folder is unknown or cannot be searched. Before the window exists.
    void LoadSavedSessions();
    // Gives the session list the keyboard focus (posted), when the page has its window.
    void FocusSessionList();

    // The ticked session built by Load, for the caller of the main dialog after it ended with
    // IDC_SESSIONS_LOAD. Take it to own it; one that nobody takes goes with the page.
    CSession* GetUserSelectedSessionNodes() const { return m_pUserSelectedSessionNodes.get(); }
    std::unique_ptr<CSession> TakeUserSelectedSessionNodes() { return std::move(m_pUserSelectedSessionNodes); }

    CSessionsListCtrl& GetSessionsList() { return m_listSessions; }
    CSessionColumnTreeCtrl& GetSessionTree() { return m_treeSession; }
    const std::vector<CSession>& GetSavedSessions() const { return m_savedSessions; }

    // The tree shows the selected row's session again, every node ticked.
    void RefreshSessionTree();
    // The index in the saved sessions of the selected row; throws when it is not a saved session.
    int GetSelectedSavedSessionIndex() const;
    // The index in the saved sessions of the row's session; -1 for row 0, a row that does not
    // exist, and one whose session is gone.
    int GetSavedSessionIndexOfRow(int nRow) const;
    // Whether the selected row still shows that saved session under that name: an action checks it
    // after a nested modal loop, before it touches the row it was started on.
    bool IsSavedSessionSelected(int nCurrentSession, const std::wstring& strName) const;
    // A new session of the ticked windows and tabs of the selected row's session.
    std::unique_ptr<CSession> GetCheckedSession();

    // Adds to target a window for each root node from hFirstRoot on that is not clear and has a
    // tab that is not clear, with those tabs of the source's matching window.
    static void ParseRootNode(CCustomTreeChildCtrl& tree, HTREEITEM hFirstRoot, const CSession& source,
                              CSession& target);
    // Adds to target the tabs of pSourceInstanceSet whose nodes, from hCurrentNode on, are not clear.
    static void ParseChildNode(CCustomTreeChildCtrl& tree, HTREEITEM hCurrentNode,
                               const CInstanceSet* pSourceInstanceSet, CInstanceSet& target);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNotify(NMHDR* pNmhdr) override;

    void UpdateControls();
    void OnListItemChanged();
    // The list shows again the saved sessions that the find field's text is found in.
    void OnFindChanged();

    void OnBnClickedSave();
    void OnBnClickedLoad();
    void OnBnClickedRename();
    void OnBnClickedDelete();
    void OnBnClickedSelectAll();
    void OnBnClickedSelectNone();

    // Shows the box for a file that could not be read; true to go on with the next file.
    virtual bool OnLoadFailure(const CLoadFailure& failure);

private:
    // What a saved session's row is known by: its position in m_savedSessions changes when an
    // earlier one is deleted, the key never. Row 0, the current session, has key 0.
    struct CSavedSessionKey
    {
        LPARAM nKey;
        // Made when a search first needs it, again after a rename.
        std::unique_ptr<CSessionSearchText> pSearchText;
    };

    // The session of the selected row, or null.
    const CSession* GetSelectedSession() const;
    void AppendSavedSession(const CSession& session);
    bool SavedSessionMatches(size_t nIndex);
    // In the tree, which shows session: the tabs the search finds in bold, their windows expanded,
    // the first one selected and shown. Ticks stay as they are.
    void ShowMatchesInTree(const CSession& session);

    CButton m_btnLoad;
    CButton m_btnSave;
    CButton m_btnRename;
    CButton m_btnDelete;
    CButton m_btnSelectAll;
    CButton m_btnSelectNone;
    CSessionsListCtrl m_listSessions;
    CDialogSplitter m_splitter;
    CSessionColumnTreeCtrl m_treeSession;
    std::unique_ptr<CControlAnchorHelper> m_pAnchorHelper;
    CSession* m_pCurrentSession = nullptr;
    std::vector<CSession> m_savedSessions;
    std::wstring m_strSaveCaption;
    std::wstring m_strSaveAsCaption;
    CSessionFolderLocator m_folderLocator;
    int m_nCurrentListItem = -1;
    std::unique_ptr<CSession> m_pUserSelectedSessionNodes;
    CStatic m_staticFind;
    CFindEdit m_editFind;
    // One for each of m_savedSessions, in the same order.
    std::vector<CSavedSessionKey> m_savedSessionKeys;
    LPARAM m_nNextKey = 1;
    CSessionSearch m_search{L""};
    // Set while the find field's text changes the rows: those changes are not the user's choice
    // of another row, and must leave the tree and its ticks alone.
    bool m_bFiltering = false;
};
