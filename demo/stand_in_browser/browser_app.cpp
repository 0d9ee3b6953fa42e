#include "demo/stand_in_browser/browser_app.h"

#include <exdisp.h>

#include "demo/stand_in_browser/browser_class_factory.h"
#include "demo/stand_in_browser/browser_frame.h"
#include "demo/stand_in_browser/browser_tab.h"
#include "demo/stand_in_browser/stand_in_protocol.h"
#include "demo/stand_in_browser/tab_content.h"

namespace
{
// Where the browser keeps its start page, and what it shows without one.
const wchar_t kMainKey[] = L"Software\\Microsoft\\Internet Explorer\\Main";
const wchar_t kStartPageValue[] = L"Start Page";
const wchar_t kBlankPage[] = L"about:blank";

std::wstring ReadStartPage()
{
    wchar_t szValue[2048] = L"";
    DWORD cbValue = sizeof(szValue);
    if (RegGetValueW(HKEY_CURRENT_USER, kMainKey, kStartPageValue, RRF_RT_REG_SZ, nullptr, szValue,
                     &cbValue) != ERROR_SUCCESS ||
        szValue[0] == L'\0')
        return kBlankPage;
    return szValue;
}

// Handles messages until WM_QUIT arrives or the process behind hStop (if any) ends.
void PumpUntilQuit(HANDLE hStop)
{
    for (;;)
    {
        const DWORD dwWait =
            MsgWaitForMultipleObjects(hStop ? 1 : 0, &hStop, FALSE, INFINITE, QS_ALLINPUT);
        if (hStop && dwWait == WAIT_OBJECT_0)
            return;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
} // namespace

CBrowserApp::CBrowserApp(const CCommandLine& commandLine)
    : m_commandLine(commandLine), m_strStartPage(ReadStartPage()),
      m_hRelease(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    CTabContent::SetReleaseHandle(m_hRelease);
}

CBrowserApp::~CBrowserApp()
{
    if (m_dwClassCookie)
        CoRevokeClassObject(m_dwClassCookie);
    ReleaseHungTabs();
    m_frames.clear();
    CTabContent::SetReleaseHandle(nullptr);
    if (m_hRelease)
        CloseHandle(m_hRelease);
}

int CBrowserApp::Run()
{
    if (!m_commandLine.m_strLogFile.empty() && !m_log.Open(m_commandLine.m_strLogFile))
        return 2;
    if (!CBrowserFrame::RegisterWindowClass() || !CBrowserTab::RegisterWindowClasses())
        return 3;
    for (const CWindowSetup& window : m_commandLine.m_windows)
    {
        if (!NewFrame(window, false))
            return 4;
    }
    UINT nToolCommand = 0;
    if (!m_commandLine.m_strTool.empty() &&
        !m_frames.front()->FindTool(m_commandLine.m_strTool, nToolCommand))
        return standin::kExitNoSuchTool;
    if (m_commandLine.m_bEmbedding)
    {
        auto* pFactory = new CBrowserClassFactory(*this);
        const HRESULT hr =
            CoRegisterClassObject(CLSID_InternetExplorer, pFactory, CLSCTX_LOCAL_SERVER,
                                  REGCLS_MULTIPLEUSE, &m_dwClassCookie);
        pFactory->Release();
        if (FAILED(hr))
            return 5;
    }
    HANDLE hOwner = m_commandLine.m_dwOwner
                        ? OpenProcess(SYNCHRONIZE, FALSE, m_commandLine.m_dwOwner)
                        : nullptr;
    if (m_commandLine.m_dwOwner && !hOwner)
        return 6;
    m_log.Write({standin::kLogReady});
    // Picked from the loop, as a click on the menu would be; the click makes the frame the active
    // window first.
    if (nToolCommand)
    {
        SetForegroundWindow(m_frames.front()->Hwnd());
        PostMessageW(m_frames.front()->Hwnd(), WM_COMMAND, MAKEWPARAM(nToolCommand, 0), 0);
    }
    PumpUntilQuit(hOwner);
    if (hOwner)
        CloseHandle(hOwner);
    return 0;
}

CBrowserFrame* CBrowserApp::NewFrame(const CWindowSetup& window, bool bFromCom)
{
    m_frames.push_back(
        std::make_unique<CBrowserFrame>(*this, static_cast<int>(m_frames.size()) + 1));
    ++m_nOpenFrames;
    CBrowserFrame* pFrame = m_frames.back().get();
    return pFrame->Create(window, bFromCom) ? pFrame : nullptr;
}

void CBrowserApp::OnFrameDestroyed()
{
    // A process that serves automation stays for the next client.
    if (--m_nOpenFrames == 0 && !m_commandLine.m_bEmbedding)
        PostQuitMessage(0);
}

int RunTabHost(const CCommandLine& commandLine)
{
    HANDLE hOwner = OpenProcess(SYNCHRONIZE, FALSE, commandLine.m_dwTabHostOwner);
    if (!hOwner)
        return 6;
    // A hung remote tab waits for its owner to go, and the host with it.
    CTabContent::SetReleaseHandle(hOwner);
    int nResult = 0;
    {
        CTabContent content(commandLine.m_tabHostTab);
        if (!CTabContent::RegisterWindowClass() ||
            !content.Create(commandLine.m_hTabHostParent, true))
            nResult = 7;
        else
            PumpUntilQuit(hOwner);
    }
    CTabContent::SetReleaseHandle(nullptr);
    CloseHandle(hOwner);
    return nResult;
}
