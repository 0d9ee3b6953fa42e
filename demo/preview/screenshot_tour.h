// Takes the preview's pictures from inside the dialog's own loops: the Sessions page with one
// window partly ticked, the About page, the Sessions page in high-contrast colours, and the name
// dialog that Save opens (then cancelled);
// then closes the window. A thread timer drives it, so that it runs in whichever modal loop is
// current.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/session_manager_dialog.h"

class CScreenshotTour
{
public:
    // Pictures go to strFolder (a Windows path) as BMP files: quillmere-sessions.bmp,
    // quillmere-about.bmp, quillmere-high-contrast.bmp and quillmere-name-dialog.bmp.
    CScreenshotTour(CSessionManagerDialog& dialog, const std::wstring& strFolder);
    ~CScreenshotTour();
    CScreenshotTour(const CScreenshotTour&) = delete;
    CScreenshotTour& operator=(const CScreenshotTour&) = delete;

    // Before the dialog runs.
    void Start();
    // Every picture taken and the window closed by the tour.
    bool Succeeded() const { return m_eStep == EStep::Done && m_strFailure.empty(); }
    const std::wstring& Failure() const { return m_strFailure; }
    const std::vector<std::wstring>& Files() const { return m_files; }

private:
    enum class EStep
    {
        WaitForWindow,
        Sessions,
        About,
        HighContrast,
        OpenNameDialog,
        NameDialog,
        WaitForNameDialogToClose,
        Find,
        FindNothing,
        Done,
    };

    static void CALLBACK OnTimer(HWND hWnd, UINT nMsg, UINT_PTR nId, DWORD dwTime);
    void Step();
    bool Save(HWND hWnd, const wchar_t* pszName);
    void Fail(const std::wstring& strWhy);
    HWND FindNameDialog() const;

    CSessionManagerDialog& m_dialog;
    std::wstring m_strFolder;
    EStep m_eStep = EStep::WaitForWindow;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwStarted = 0;
    bool m_bInStep = false;
    std::wstring m_strFailure;
    std::vector<std::wstring> m_files;
};
