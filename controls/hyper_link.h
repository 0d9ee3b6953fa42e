// A static text control of a dialog template made into a web link: link colours, an underline
// while the mouse is over it, a pointing hand, a tooltip with the address, and on a click the
// address opened by the shell, or by the program registered for web pages when the shell cannot.
#pragma once

#include <windows.h>

#include <string>

#include "win/common_controls.h"
#include "win/gdi.h"

class CHyperLink : public CStatic
{
public:
    // What a click reaches outside the process: the shell, the file-type associations and a new
    // process. The default is the system's; tests put in their own so that nothing is started.
    class COpener
    {
    public:
        virtual ~COpener() = default;
        // ShellExecute with the "open" verb; its result, greater than 32 on success.
        virtual INT_PTR ShellOpen(const std::wstring& strUrl, int nShowCmd);
        // The hive the file-type associations are read from (HKEY_CLASSES_ROOT); not closed.
        virtual HKEY ClassesRoot();
        // WinExec of an ANSI command line; its result, greater than 31 on success.
        virtual UINT Run(const std::string& strCommandLine, int nShowCmd);
    };

    CHyperLink() = default;
    ~CHyperLink() override;

    void SetURL(const std::wstring& strUrl);

    // Borrowed; null puts the system's back.
    void SetOpener(COpener* pOpener);

    // Opens the address; the shell's or the fallback's result, greater than 32 on success.
    INT_PTR GotoURL(const std::wstring& strUrl, int nShowCmd);
    // "Unable to open hyperlink:" and the reason for the code, in an exclamation box.
    void ReportError(INT_PTR nError);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Whether the user chose a high-contrast scheme: the link is then drawn in the scheme's own
    // hyperlink colour, whatever its state.
    virtual bool IsHighContrast() const;

protected:
    void PreSubclassWindow() override;

    // Resizes the window to its text, keeping the edge or centre its alignment names.
    void PositionWindow();
    // Loads m_hHandCursor once.
    void SetDefaultCursor();

    HBRUSH OnReflectedCtlColor(HDC hDC, UINT nCtlColor) override;
    bool OnReflectedCommand(UINT nCode, LRESULT* pResult) override;
    BOOL OnSetCursor(HWND hWnd, UINT nHitTest, UINT nMsg) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnTimer(UINT_PTR nId) override;
    BOOL OnEraseBkgnd(HDC hDC) override;
    void OnDestroy() override;
    UINT OnGetDlgCode() override;
    void OnKeyDown(UINT nChar, UINT nRepeat, UINT nFlags) override;
    void OnSetFocus(HWND hOld) override;
    void OnKillFocus(HWND hNew) override;
    void OnPaint() override;

    COLORREF m_crLink = RGB(0, 0, 238);
    COLORREF m_crVisited = RGB(85, 26, 139);
    COLORREF m_crHover = RGB(255, 0, 0);
    bool m_bHovering = false;
    bool m_bVisited = false;
    bool m_bFitToText = true;
    std::wstring m_strLinkUrl;
    CFont m_fontUnderlined;
    CFont m_fontNormal;
    CCursor m_hHandCursor;
    CToolTipCtrl m_toolTip;
    UINT_PTR m_nHoverTimerId = 100;

private:
    // What a click and the keyboard's Enter or Space do.
    void FollowLink();

    // The font the template gave the control: given back when this object goes before its
    // window, so that the window never holds one of the fonts deleted with it.
    HFONT m_hTemplateFont = nullptr;
    COpener* m_pOpener = nullptr;
};

// Plain parts of the link, kept apart from the window so that they are tested directly.

// The window rectangle of a static fitted to text of that size: the borders (window less client
// size) are kept; vertically centred with SS_CENTERIMAGE, else top-aligned; horizontally
// centred, right- or left-aligned as the static's type says.
RECT FitLinkRectToText(const RECT& rcWindow, const RECT& rcClient, SIZE sizeText, DWORD dwStyle);

// The fallback command line: the registered one cut at its first "%1" (at the opening quotation
// mark when it is quoted), then a space and the address. False when it does not fit the
// 520-character buffer, terminator included; the output is then left empty.
bool AssembleLinkCommandLine(const std::wstring& strRegistered, const std::wstring& strUrl,
                             std::wstring* pstrCommandLine);

// The default value of a key under that root, read as the fallback reads it: at most 260 bytes
// with the terminator. ERROR_SUCCESS or the error that stopped it.
LONG GetRegKey(HKEY hRoot, const std::wstring& strSubKey, std::wstring* pstrValue);

// The text a failed open is reported with.
std::wstring HyperLinkErrorText(INT_PTR nError);

// The pointing hand: cursor 106 of the help program at that path, else the system's hand. A copy
// the caller owns.
HCURSOR LoadLinkHandCursor(const std::wstring& strHelpProgram);
