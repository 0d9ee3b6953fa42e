// The session manager window: a modal, resizable dialog with the Sessions and About pages on a
// tab control and a Close button. The caller hands it the current session, runs it, and after
// the result IDC_SESSIONS_LOAD (202) takes the ticked session from the Sessions page, before it
// destroys the dialog.
//
// Results of DoModal: IDC_SESSIONS_LOAD after Load; IDOK after Close; IDCANCEL after Escape, the
// close box, or a failed initialisation that was reported; -1 when a page could not be created.
#pragma once

#include <memory>
#include <string>

#include "controls/control_anchor_helper.h"
#include "controls/size_grip_dialog.h"
#include "controls/tab_control.h"
#include "resources/resource.h"
#include "session/session.h"
#include "ui/about_tab_page.h"
#include "ui/sessions_tab_page.h"
#include "win/common_controls.h"
#include "win/gdi.h"

class CSessionManagerDialog : public CSizeGripDialog
{
public:
    // The smallest outer size the user can give the window, in pixels.
    static constexpr int kMinTrackWidth = 590;
    static constexpr int kMinTrackHeight = 280;

    explicit CSessionManagerDialog(CWnd* pParent = nullptr);
    ~CSessionManagerDialog() override;

    // Borrowed; before DoModal. The Sessions page refuses a null session.
    void SetCurrentSession(CSession* pCurrentSession) { m_pCurrentSession = pCurrentSession; }

    // Null until the dialog has initialised; kept after the run, for the ticked session.
    CSessionsTabPage* GetSessionsTabPage() const { return m_pSessionsTabPage.get(); }
    CAboutTabPage* GetAboutTabPage() const { return m_pAboutTabPage.get(); }
    CTabControl& GetTabControl() { return m_tabControl; }

    // Opens the help file beside the module with the shell; reports a missing one in two boxes.
    void ShowHelpFile();

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnGetMinMaxInfo(MINMAXINFO* pInfo) override;
    void OnShowWindow(BOOL bShow, UINT nStatus) override;
    BOOL OnHelpInfo(HELPINFO* pInfo) override;
    // The caption's "?" button opens the help file instead of the system's context-help mode.
    void OnSysCommand(UINT nId, LPARAM lParam) override;

    // The pages, made during initialisation.
    virtual std::unique_ptr<CSessionsTabPage> NewSessionsTabPage();
    virtual std::unique_ptr<CAboutTabPage> NewAboutTabPage();

private:
    // Icons, pages, anchoring and the saved sessions.
    void InitializeDialog();
    // The pages' windows shown, the controls filled.
    void ShowPages();
    // Runs one stage of the initialisation; reports what it throws. False when it threw.
    bool RunInitStage(const wchar_t* pszStage, void (CSessionManagerDialog::*pfnStage)());
    // Shows the failure of one stage of the initialisation and ends the dialog with IDCANCEL.
    void ReportInitFailure(const wchar_t* pszStage, const std::wstring* pstrReason);
    void AnchorToWindowSize();

    CIcon m_hIcon;
    CIcon m_hSmallIcon;
    CSession* m_pCurrentSession = nullptr;
    CButton m_btnClose;
    CTabControl m_tabControl;
    std::unique_ptr<CControlAnchorHelper> m_pAnchorHelper;
    std::unique_ptr<CSessionsTabPage> m_pSessionsTabPage;
    std::unique_ptr<CAboutTabPage> m_pAboutTabPage;
};

// The help file of a module: its path with the extension changed to .HLP (added when it has
// none).
std::wstring HelpFilePathForModule(const std::wstring& strModulePath);
