#pragma once

#include <string>

#include "ui/filename_edit.h"
#include "win/common_controls.h"
#include "win/dialog.h"

// Asks for the name a session is saved under (mode 1) or renamed to (mode 2). OK is available
// only while the name is not empty, and a name whose file exists is refused.
class CSessionNameDialog : public CDialog
{
public:
    enum
    {
        kModeSave = 1,
        kModeRename = 2,
    };

    CSessionNameDialog(const wchar_t* pszInitialName, int nMode, CWnd* pParent = nullptr);

    void GetFileName(std::wstring& strFileName) const { strFileName = m_strFileName; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    void OnBnClickedOk();
    void OnEnChangeFileName();

private:
    // Each label stays on one line: one too narrow for its text grows, and the dialog with it
    // when the text would leave the dialog.
    void FitLabelsToText();

    std::wstring m_strInitialName;
    int m_nMode;
    CButton m_btnOk;
    CFilenameEdit m_editFileName;
    std::wstring m_strFileName;
};
