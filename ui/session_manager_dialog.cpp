#include "ui/session_manager_dialog.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <exception>

#include "base/exceptions.h"
#include "base/throw_if.h"
#include "ui/error_box.h"
#include "win/module.h"

namespace
{
const wchar_t kErrorCaption[] = L"Quillmere Error";
const wchar_t kHelpCaption[] = L"Unable to Display Help File";
const wchar_t kInitStage[] = L"CSessionManagerDialog::OnInitDialog()";
const wchar_t kShowStage[] = L"CSessionManagerDialog::OnInitDialog(2)";

// A framework exception's own message as the boxes show it: at most 255 characters.
std::wstring FrameworkMessage(const CException& e)
{
    wchar_t szMessage[256] = L"";
    if (!e.GetErrorMessage(szMessage, 256))
        szMessage[0] = L'\0';
    return szMessage;
}

// The module's own file, or empty when the system cannot say.
std::wstring ModuleFilePath(HINSTANCE hModule)
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nLength = ::GetModuleFileNameW(hModule, &strPath[0], static_cast<DWORD>(strPath.size()));
        if (nLength == 0)
            return std::wstring();
        if (nLength < strPath.size())
        {
            strPath.resize(nLength);
            return strPath;
        }
        strPath.resize(strPath.size() * 2);
    }
}

void ShowPlainBox(HWND hOwner, const std::wstring& strText, const wchar_t* pszCaption)
{
    ::MessageBoxW(hOwner, strText.c_str(), pszCaption, MB_OK);
}
}  // namespace

std::wstring HelpFilePathForModule(const std::wstring& strModulePath)
{
    const std::wstring::size_type nDot = strModulePath.rfind(L'.');
    const std::wstring::size_type nSeparator = strModulePath.find_last_of(L"\\/");
    const bool bHasExtension = nDot != std::wstring::npos && (nSeparator == std::wstring::npos || nDot > nSeparator);
    return (bHasExtension ? strModulePath.substr(0, nDot) : strModulePath) + L".HLP";
}

CSessionManagerDialog::CSessionManagerDialog(CWnd* pParent) : CSizeGripDialog(IDD_SESSION_MANAGER, pParent) {}

CSessionManagerDialog::~CSessionManagerDialog()
{
    // A window still open goes first, so that no page, helper or icon is destroyed under it.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    // Then, in this order: the pages (a ticked session nobody took goes with its page), the
    // anchor helper, the icons. The tab control only borrowed the pages and goes as a member.
    m_pAboutTabPage.reset();
    m_pSessionsTabPage.reset();
    if (m_pAnchorHelper)
        m_pAnchorHelper->Clear();
    m_pAnchorHelper.reset();
    m_hSmallIcon.Reset();
    m_hIcon.Reset();
}

void CSessionManagerDialog::DoDataExchange(CDataExchange& dx)
{
    CSizeGripDialog::DoDataExchange(dx);
    DDX_Control(dx, IDOK, m_btnClose);
    DDX_Control(dx, IDC_TAB_CONTROL, m_tabControl);
}

std::unique_ptr<CSessionsTabPage> CSessionManagerDialog::NewSessionsTabPage()
{
    return std::make_unique<CSessionsTabPage>(nullptr);
}

std::unique_ptr<CAboutTabPage> CSessionManagerDialog::NewAboutTabPage()
{
    return std::make_unique<CAboutTabPage>(nullptr);
}

BOOL CSessionManagerDialog::OnInitDialog()
{
    const BOOL bRet = CSizeGripDialog::OnInitDialog();
    if (bRet != TRUE)
        return bRet;

    // Three stages, each guarded on its own: a failure ends the dialog before it is shown.
    if (!RunInitStage(kInitStage, &CSessionManagerDialog::InitializeDialog))
        return FALSE;

    // The pages' windows. A page reports its own failure before it throws; nothing more is said.
    try
    {
        m_tabControl.InitializeTabPages();
    }
    catch (...)
    {
        EndDialog(-1);
        return FALSE;
    }

    if (!RunInitStage(kShowStage, &CSessionManagerDialog::ShowPages))
        return FALSE;
    return TRUE;
}

void CSessionManagerDialog::InitializeDialog()
{
    const HINSTANCE hModule = ModuleInstance();
    m_hIcon.Reset(static_cast<HICON>(::LoadImageW(hModule, MAKEINTRESOURCEW(IDI_QUILLMERE), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON),
                                                  LR_DEFAULTCOLOR)));
    m_hSmallIcon.Reset(static_cast<HICON>(
        ::LoadImageW(hModule, MAKEINTRESOURCEW(IDI_QUILLMERE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.Get()));

    // The pages get their windows later, from the tab control.
    m_pSessionsTabPage = NewSessionsTabPage();
    m_tabControl.AddTabPage(m_pSessionsTabPage.get(), L"Sessions");
    m_pSessionsTabPage->SetCurrentSession(m_pCurrentSession);
    m_pAboutTabPage = NewAboutTabPage();
    m_tabControl.AddTabPage(m_pAboutTabPage.get(), L"About");

    // Close keeps its distance from the bottom-right corner; the tab control grows both ways.
    m_pAnchorHelper = std::make_unique<CControlAnchorHelper>(this);
    m_pAnchorHelper->InitializeAnchors();
    m_pAnchorHelper->SetAnchor(&m_btnClose, 0, 0, 1, 0, 1);
    m_pAnchorHelper->SetAnchor(&m_tabControl, 0, 1, 1, 1, 1);
    AnchorToWindowSize();

    // Before the page's window exists: the page fills its list from what is read here.
    m_pSessionsTabPage->LoadSavedSessions();
}

void CSessionManagerDialog::ShowPages()
{
    m_tabControl.ActivateTabPages();
    UpdateData(false);
}

bool CSessionManagerDialog::RunInitStage(const wchar_t* pszStage, void (CSessionManagerDialog::*pfnStage)())
{
    try
    {
        (this->*pfnStage)();
        return true;
    }
    catch (const CException& e)
    {
        const std::wstring strReason = FrameworkMessage(e);
        ReportInitFailure(pszStage, &strReason);
    }
    catch (const std::exception& e)
    {
        const std::wstring strReason = WidenExceptionText(e.what());
        ReportInitFailure(pszStage, &strReason);
    }
    catch (...)
    {
        ReportInitFailure(pszStage, nullptr);
    }
    return false;
}

void CSessionManagerDialog::ReportInitFailure(const wchar_t* pszStage, const std::wstring* pstrReason)
{
    if (pstrReason)
        ShowPlainBox(nullptr, std::wstring(L"Internal error in ") + pszStage + L": " + *pstrReason, kErrorCaption);
    else
        ShowPlainBox(m_hWnd, std::wstring(L"(Unknown) exception in ") + pszStage, kErrorCaption);
    EndDialog(IDCANCEL);
}

void CSessionManagerDialog::AnchorToWindowSize()
{
    // The window's outer size, at the start and at every change alike.
    RECT rect{};
    GetWindowRect(&rect);
    m_pAnchorHelper->OnParentSize(RectWidth(rect), RectHeight(rect));
}

void CSessionManagerDialog::OnSize(UINT nType, int cx, int cy)
{
    CSizeGripDialog::OnSize(nType, cx, cy);
    // A minimised window's rectangle says nothing about the controls' sizes; taken as one, it
    // would shrink them below nothing, which the system clamps, and the restore would not undo.
    if (m_pAnchorHelper && nType != SIZE_MINIMIZED)
        AnchorToWindowSize();
}

void CSessionManagerDialog::OnGetMinMaxInfo(MINMAXINFO* pInfo)
{
    pInfo->ptMinTrackSize.x = kMinTrackWidth;
    pInfo->ptMinTrackSize.y = kMinTrackHeight;
    Default();
}

void CSessionManagerDialog::OnShowWindow(BOOL /*bShow*/, UINT /*nStatus*/)
{
    Default();
    // Posted: the focus moves once the showing is done, whatever was focused meanwhile.
    if (!m_pSessionsTabPage)
        return;
    const HWND hList = m_pSessionsTabPage->GetSessionsList().GetSafeHwnd();
    if (hList)
        m_pSessionsTabPage->PostMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hList), TRUE);
}

BOOL CSessionManagerDialog::OnHelpInfo(HELPINFO* /*pInfo*/)
{
    ShowHelpFile();
    return FALSE;
}

void CSessionManagerDialog::OnSysCommand(UINT nId, LPARAM /*lParam*/)
{
    // The low four bits of the command are the system's own.
    if ((nId & 0xFFF0) == SC_CONTEXTHELP)
    {
        ShowHelpFile();
        return;
    }
    Default();
}

void CSessionManagerDialog::ShowHelpFile()
{
    // The module stands where an application object would: the help file is its own, beside it.
    const HINSTANCE hModule = ModuleInstance();
    std::wstring strHelpPath;
    try
    {
        ThrowIf(hModule == nullptr, "Can't display help file.  pApp is NULL.");
        const std::wstring strModulePath = ModuleFilePath(hModule);
        if (!strModulePath.empty())
            strHelpPath = HelpFilePathForModule(strModulePath);
        ThrowIf(strHelpPath.empty(), "Can't display help file.  The file path to the help file is NULL.");
        ThrowIf(::PathFileExistsW(strHelpPath.c_str()) != TRUE,
                "Can't display help file.  The file path to the help file does not exist.");
        ::ShellExecuteW(nullptr, L"open", strHelpPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    catch (const CException& e)
    {
        ShowPlainBox(nullptr, L"Unable to Display Help File: " + FrameworkMessage(e), kHelpCaption);
    }
    catch (const std::exception& e)
    {
        ShowPlainBox(nullptr, WidenExceptionText(e.what()), kHelpCaption);
        if (hModule && !strHelpPath.empty())
            ShowPlainBox(nullptr, L"Path to helpfile is: " + strHelpPath, kHelpCaption);
    }
    catch (...)
    {
        ShowPlainBox(nullptr, L"Reason: unknown exception was thrown.", kHelpCaption);
    }
}
