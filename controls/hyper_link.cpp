#include "controls/hyper_link.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>

#include "win/module.h"

namespace
{
// The fallback assembles its command line in a buffer of this many characters, terminator
// included; a line that does not fit is not run.
constexpr std::size_t kCommandLineBuffer = 520;
// A registry text read by the fallback: at most this many bytes, terminator included.
constexpr DWORD kRegValueBytes = 260;
// The pointing hand among the help program's cursors.
constexpr WORD kHelpHandCursorId = 106;
constexpr UINT kHoverPeriodMs = 100;
// Cleared below the text when hovering ends, where the underline may have been drawn.
constexpr int kUnderlineMargin = 10;
constexpr UINT_PTR kToolId = 1;

class CRegKey
{
public:
    CRegKey() = default;
    ~CRegKey()
    {
        if (m_hKey)
            ::RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    HKEY* operator&() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// The thread's ANSI code page, as WinExec takes its command line. False when it cannot be
// converted at all.
bool ToAnsi(const std::wstring& strText, std::string* pstrOut)
{
    pstrOut->clear();
    if (strText.empty())
        return true;
    const int nWide = static_cast<int>(strText.size());
    const int nBytes = ::WideCharToMultiByte(CP_THREAD_ACP, 0, strText.data(), nWide, nullptr, 0,
                                             nullptr, nullptr);
    if (nBytes <= 0)
        return false;
    pstrOut->resize(static_cast<std::size_t>(nBytes));
    return ::WideCharToMultiByte(CP_THREAD_ACP, 0, strText.data(), nWide, &(*pstrOut)[0], nBytes,
                                 nullptr, nullptr) == nBytes;
}

// The name a message box of this module is captioned with when it has no title of its own: the
// module's file name without folder and extension, as the framework's default application name.
std::wstring ModuleTitle()
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD nLength =
            ::GetModuleFileNameW(ModuleInstance(), &strPath[0], static_cast<DWORD>(strPath.size()));
        if (nLength == 0)
            return std::wstring();
        if (nLength < strPath.size())
        {
            strPath.resize(nLength);
            break;
        }
        strPath.resize(strPath.size() * 2);
    }
    const std::size_t nSlash = strPath.find_last_of(L"\\/");
    std::wstring strTitle = nSlash == std::wstring::npos ? strPath : strPath.substr(nSlash + 1);
    const std::size_t nDot = strTitle.rfind(L'.');
    if (nDot != std::wstring::npos && nDot > 0)
        strTitle.resize(nDot);
    return strTitle;
}

CHyperLink::COpener& SystemOpener()
{
    static CHyperLink::COpener s_opener;
    return s_opener;
}
}  // namespace

INT_PTR CHyperLink::COpener::ShellOpen(const std::wstring& strUrl, int nShowCmd)
{
    return reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", strUrl.c_str(), nullptr, nullptr, nShowCmd));
}

HKEY CHyperLink::COpener::ClassesRoot()
{
    return HKEY_CLASSES_ROOT;
}

UINT CHyperLink::COpener::Run(const std::string& strCommandLine, int nShowCmd)
{
    return ::WinExec(strCommandLine.c_str(), static_cast<UINT>(nShowCmd));
}

CHyperLink::~CHyperLink()
{
    // Teardown, in this order: the timer stops; a window that outlives this object gets its
    // template font back, so it never holds one of ours; the members then go in reverse order
    // (tooltip window, cursor, fonts); last the base hands the window back its own procedure.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
    {
        KillTimer(m_nHoverTimerId);
        const HFONT hFont = GetFont();
        if (hFont && (hFont == m_fontNormal.Get() || hFont == m_fontUnderlined.Get()))
            SetFont(m_hTemplateFont, FALSE);
    }
}

void CHyperLink::SetOpener(COpener* pOpener)
{
    m_pOpener = pOpener;
}

void CHyperLink::PreSubclassWindow()
{
    // A static reports clicks only with SS_NOTIFY; the tab stop lets the keyboard reach it.
    ModifyStyle(0, SS_NOTIFY | WS_TABSTOP);

    const std::wstring strText = GetWindowText();
    if (m_strLinkUrl.empty())
        m_strLinkUrl = strText;
    if (strText.empty())
        SetWindowText(m_strLinkUrl);

    m_hTemplateFont = GetFont();
    HFONT hFont = m_hTemplateFont;
    if (!hFont)
        hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!hFont)
        hFont = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    LOGFONTW lf{};
    if (hFont && ::GetObjectW(hFont, sizeof(lf), &lf) == static_cast<int>(sizeof(lf)))
    {
        m_fontNormal.Reset(::CreateFontIndirectW(&lf));
        lf.lfUnderline = TRUE;
        m_fontUnderlined.Reset(::CreateFontIndirectW(&lf));
    }

    PositionWindow();
    SetDefaultCursor();

    if (m_toolTip.Create(this))
    {
        // The version 5 size, which both generations of the common controls accept.
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = m_hWnd;
        info.uId = kToolId;
        GetClientRect(&info.rect);
        info.lpszText = const_cast<wchar_t*>(m_strLinkUrl.c_str());
        m_toolTip.AddTool(info);
    }

    CStatic::PreSubclassWindow();
}

void CHyperLink::SetURL(const std::wstring& strUrl)
{
    m_strLinkUrl = strUrl;
    if (!m_hWnd)
        return;
    PositionWindow();
    if (m_toolTip.m_hWnd)
    {
        TTTOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = m_hWnd;
        info.uId = kToolId;
        info.lpszText = const_cast<wchar_t*>(m_strLinkUrl.c_str());
        m_toolTip.UpdateTipText(info);
    }
}

void CHyperLink::PositionWindow()
{
    if (!m_hWnd || !m_bFitToText)
        return;

    // Both rectangles in the parent's client coordinates, where SetWindowPos places a child.
    RECT rcWindow{};
    GetWindowRect(&rcWindow);
    RECT rcClient{};
    GetClientRect(&rcClient);
    ClientToScreen(&rcClient);
    const HWND hParent = ::GetParent(m_hWnd);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rcWindow), 2);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rcClient), 2);

    // Measured underlined, the wider of the two fonts.
    const std::wstring strText = GetWindowText();
    SIZE sizeText{};
    {
        CClientDC dc(nullptr);
        CSelectObject font(dc, m_fontUnderlined);
        ::GetTextExtentPoint32W(dc, strText.c_str(), static_cast<int>(strText.size()), &sizeText);
    }

    const RECT rcFitted = FitLinkRectToText(rcWindow, rcClient, sizeText, GetStyle());
    SetWindowPos(nullptr, rcFitted.left, rcFitted.top, RectWidth(rcFitted), RectHeight(rcFitted),
                 SWP_NOZORDER);
}

void CHyperLink::SetDefaultCursor()
{
    if (m_hHandCursor)
        return;
    wchar_t szWindows[MAX_PATH + 1] = L"";
    const UINT nLength = ::GetWindowsDirectoryW(szWindows, MAX_PATH);
    // Without the Windows folder there is no help program to look in.
    const std::wstring strHelpProgram = (nLength > 0 && nLength < MAX_PATH)
                                            ? std::wstring(szWindows) + L"\\winhlp32.exe"
                                            : std::wstring();
    m_hHandCursor.Reset(LoadLinkHandCursor(strHelpProgram));
}

INT_PTR CHyperLink::GotoURL(const std::wstring& strUrl, int nShowCmd)
{
    COpener& opener = m_pOpener ? *m_pOpener : SystemOpener();

    const INT_PTR nShellResult = opener.ShellOpen(strUrl, nShowCmd);
    if (nShellResult > 32)
        return nShellResult;

    // The shell could not: the program registered for web pages, given the address after its
    // own arguments. Every way this fails reports the shell's reason.
    const HKEY hRoot = opener.ClassesRoot();
    std::wstring strClass;
    if (GetRegKey(hRoot, L".htm", &strClass) != ERROR_SUCCESS)
        return nShellResult;
    std::wstring strRegistered;
    if (GetRegKey(hRoot, strClass + L"\\shell\\open\\command", &strRegistered) != ERROR_SUCCESS)
        return nShellResult;
    std::wstring strCommandLine;
    if (!AssembleLinkCommandLine(strRegistered, strUrl, &strCommandLine))
        return nShellResult;
    std::string strAnsi;
    if (!ToAnsi(strCommandLine, &strAnsi))
        return nShellResult;
    return static_cast<INT_PTR>(opener.Run(strAnsi, nShowCmd));
}

void CHyperLink::ReportError(INT_PTR nError)
{
    // Owned by the dialog, so that the link cannot be clicked again while the box is up.
    const HWND hOwner = m_hWnd ? ::GetAncestor(m_hWnd, GA_ROOT) : nullptr;
    ::MessageBoxW(hOwner, HyperLinkErrorText(nError).c_str(), ModuleTitle().c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg)
{
    if (m_toolTip.m_hWnd)
        m_toolTip.SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg));
    return CStatic::PreTranslateMessage(pMsg);
}

bool CHyperLink::IsHighContrast() const
{
    return IsHighContrastOn();
}

HBRUSH CHyperLink::OnReflectedCtlColor(HDC hDC, UINT /*nCtlColor*/)
{
    if (IsHighContrast())
        ::SetTextColor(hDC, ::GetSysColor(COLOR_HOTLIGHT));
    else if (m_bHovering)
        ::SetTextColor(hDC, m_crHover);
    else if (m_bVisited)
        ::SetTextColor(hDC, m_crVisited);
    else
        ::SetTextColor(hDC, m_crLink);
    // The background is ours (OnEraseBkgnd): the static paints only its text.
    ::SetBkMode(hDC, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
}

bool CHyperLink::OnReflectedCommand(UINT nCode, LRESULT* pResult)
{
    if (nCode != STN_CLICKED)
        return false;
    *pResult = 0;
    FollowLink();
    return true;
}

void CHyperLink::FollowLink()
{
    m_bHovering = false;
    INT_PTR nResult = 0;
    try
    {
        nResult = GotoURL(m_strLinkUrl, SW_SHOW);
    }
    catch (...)
    {
        // Only allocations can fail on the way: reported as a lack of memory.
        nResult = 0;
    }

    if (nResult > 32)
    {
        // Once visited the link stays visited, even when a later open fails.
        m_bVisited = true;
        if (m_hWnd)
            Invalidate(TRUE);
        return;
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    try
    {
        ReportError(nResult);
    }
    catch (...)
    {
        // Out of memory for the text as well: the beep is all the user gets.
    }
}

UINT CHyperLink::OnGetDlgCode()
{
    // Enter and Space are the link's own, as a button's are; the dialog keeps the others.
    const MSG* pMsg = reinterpret_cast<const MSG*>(GetCurrentLParam());
    const bool bOpenKey = pMsg && pMsg->message == WM_KEYDOWN &&
                          (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_SPACE);
    return static_cast<UINT>(Default()) | (bOpenKey ? DLGC_WANTMESSAGE : 0);
}

void CHyperLink::OnKeyDown(UINT nChar, UINT /*nRepeat*/, UINT nFlags)
{
    // A key held down opens the address once.
    if ((nChar == VK_RETURN || nChar == VK_SPACE) && !(nFlags & KF_REPEAT))
    {
        FollowLink();
        return;
    }
    Default();
}

void CHyperLink::OnSetFocus(HWND /*hOld*/)
{
    Default();
    Invalidate(TRUE);
}

void CHyperLink::OnKillFocus(HWND /*hNew*/)
{
    Default();
    Invalidate(TRUE);
}

void CHyperLink::OnPaint()
{
    // The window is the text's size, so the focus rectangle lies on the text's edges: it goes
    // over what the static painted, and only where it painted (drawn twice, the dotted line
    // would cancel itself out). While the mouse is over the link the underline, on the bottom
    // edge, shows instead.
    CRgn updateRegion(::CreateRectRgn(0, 0, 0, 0));
    const bool bFocusShown = ::GetFocus() == m_hWnd && !m_bHovering &&
                             !(SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) &&
                             ::GetUpdateRgn(m_hWnd, updateRegion, FALSE) != ERROR;
    Default();
    if (!bFocusShown)
        return;
    CClientDC dc(m_hWnd);
    ::SelectClipRgn(dc, updateRegion);
    RECT rcClient{};
    GetClientRect(&rcClient);
    ::DrawFocusRect(dc, &rcClient);
}

BOOL CHyperLink::OnSetCursor(HWND /*hWnd*/, UINT /*nHitTest*/, UINT /*nMsg*/)
{
    if (!m_hHandCursor)
        return FALSE;
    ::SetCursor(m_hHandCursor);
    return TRUE;
}

void CHyperLink::OnMouseMove(UINT /*nFlags*/, POINT /*pt*/)
{
    if (!m_bHovering)
    {
        m_bHovering = true;
        SetFont(m_fontUnderlined, TRUE);
        Invalidate(TRUE);
        // A static gets no message when the mouse leaves: the timer looks for it.
        SetTimer(m_nHoverTimerId, kHoverPeriodMs);
    }
    Default();
}

void CHyperLink::OnTimer(UINT_PTR /*nId*/)
{
    const DWORD dwPos = ::GetMessagePos();
    POINT pt{GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos)};
    ScreenToClient(&pt);
    RECT rcClient{};
    GetClientRect(&rcClient);
    if (!::PtInRect(&rcClient, pt))
    {
        m_bHovering = false;
        KillTimer(m_nHoverTimerId);
        SetFont(m_fontNormal, TRUE);
        rcClient.bottom += kUnderlineMargin;
        InvalidateRect(&rcClient, TRUE);
    }
    Default();
}

BOOL CHyperLink::OnEraseBkgnd(HDC hDC)
{
    RECT rcClient{};
    GetClientRect(&rcClient);
    ::FillRect(hDC, &rcClient, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

void CHyperLink::OnDestroy()
{
    // Whichever way the window goes (its own DestroyWindow or its dialog's), the timer goes first.
    KillTimer(m_nHoverTimerId);
    Default();
}

RECT FitLinkRectToText(const RECT& rcWindow, const RECT& rcClient, SIZE sizeText, DWORD dwStyle)
{
    const int nNeededHeight = sizeText.cy + (RectHeight(rcWindow) - RectHeight(rcClient));
    const int nNeededWidth = sizeText.cx + (RectWidth(rcWindow) - RectWidth(rcClient));
    RECT rc = rcWindow;

    if (dwStyle & SS_CENTERIMAGE)
    {
        const int nShrink = (RectHeight(rc) - nNeededHeight) / 2;
        rc.top += nShrink;
        rc.bottom -= nShrink;
    }
    else
    {
        rc.bottom = rc.top + nNeededHeight;
    }

    // The alignment is the static's type, not single bits: SS_SIMPLE (0xB) also has the
    // SS_CENTER bit and is left-aligned.
    switch (dwStyle & SS_TYPEMASK)
    {
    case SS_CENTER: {
        const int nShrink = (RectWidth(rc) - nNeededWidth) / 2;
        rc.left += nShrink;
        rc.right -= nShrink;
        break;
    }
    case SS_RIGHT:
        rc.left = rc.right - nNeededWidth;
        break;
    default:
        rc.right = rc.left + nNeededWidth;
        break;
    }
    return rc;
}

bool AssembleLinkCommandLine(const std::wstring& strRegistered, const std::wstring& strUrl,
                             std::wstring* pstrCommandLine)
{
    pstrCommandLine->clear();
    std::wstring strLine = strRegistered;
    std::size_t nCut = strLine.find(L"\"%1\"");
    if (nCut == std::wstring::npos)
        nCut = strLine.find(L"%1");
    if (nCut != std::wstring::npos)
        strLine.resize(nCut);
    // The line, a space, the address and the terminator.
    if (strLine.size() + 1 + strUrl.size() + 1 > kCommandLineBuffer)
        return false;
    strLine += L' ';
    strLine += strUrl;
    *pstrCommandLine = std::move(strLine);
    return true;
}

LONG GetRegKey(HKEY hRoot, const std::wstring& strSubKey, std::wstring* pstrValue)
{
    CRegKey key;
    LONG nResult = ::RegOpenKeyExW(hRoot, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (nResult != ERROR_SUCCESS)
        return nResult;

    // One character more than is read, so that a value stored without its terminator still ends.
    constexpr std::size_t kChars = kRegValueBytes / sizeof(wchar_t);
    wchar_t szData[kChars + 1] = L"";
    LONG cbData = static_cast<LONG>(kRegValueBytes);
    nResult = ::RegQueryValueW(key, nullptr, szData, &cbData);
    if (nResult != ERROR_SUCCESS)
        return nResult;
    szData[std::min(static_cast<std::size_t>(std::max(cbData, 0L)) / sizeof(wchar_t), kChars)] =
        L'\0';
    *pstrValue = szData;
    return ERROR_SUCCESS;
}

std::wstring HyperLinkErrorText(INT_PTR nError)
{
    const wchar_t* pszReason = nullptr;
    switch (nError)
    {
    case 0:
        pszReason = L"The operating system is out\nof memory or resources.";
        break;
    case SE_ERR_FNF:
        pszReason = L"The specified file was not found.";
        break;
    case SE_ERR_PNF:
        pszReason = L"The specified path was not found.";
        break;
    case SE_ERR_ACCESSDENIED:
        pszReason = L"The operating system denied\naccess to the specified file.";
        break;
    case SE_ERR_OOM:
        pszReason = L"There was not enough memory to complete the operation.";
        break;
    case ERROR_BAD_FORMAT:
        pszReason = L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        break;
    case SE_ERR_SHARE:
        pszReason = L"A sharing violation occurred. ";
        break;
    case SE_ERR_ASSOCINCOMPLETE:
        pszReason = L"The filename association is\nincomplete or invalid.";
        break;
    case SE_ERR_DDETIMEOUT:
        pszReason = L"The DDE transaction could not\nbe completed because the request timed out.";
        break;
    case SE_ERR_DDEFAIL:
        pszReason = L"The DDE transaction failed.";
        break;
    case SE_ERR_DDEBUSY:
        pszReason = L"The DDE transaction could not\nbe completed because other DDE "
                    L"transactions\nwere being processed.";
        break;
    case SE_ERR_NOASSOC:
        pszReason = L"There is no application associated\nwith the given filename extension.";
        break;
    case SE_ERR_DLLNOTFOUND:
        pszReason = L"The specified dynamic-link library was not found.";
        break;
    default:
        break;
    }
    std::wstring strText = L"Unable to open hyperlink:\n\n";
    if (pszReason)
        strText += pszReason;
    else
        strText +=
            L"Unknown Error (" + std::to_wstring(static_cast<long long>(nError)) + L") occurred.";
    return strText;
}

HCURSOR LoadLinkHandCursor(const std::wstring& strHelpProgram)
{
    if (!strHelpProgram.empty())
    {
        // Only its resources are wanted: mapped as data, none of its code runs here.
        CLibrary library(
            ::LoadLibraryExW(strHelpProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (library)
        {
            // The cursor belongs to the library: a copy outlives it.
            if (const HCURSOR hCursor = ::LoadCursorW(library, MAKEINTRESOURCEW(kHelpHandCursorId)))
                return ::CopyIcon(hCursor);
        }
    }
    // The system's own pointing hand, copied so that the caller owns what it gets either way.
    if (const HCURSOR hHand = ::LoadCursorW(nullptr, IDC_HAND))
        return ::CopyIcon(hHand);
    return nullptr;
}
