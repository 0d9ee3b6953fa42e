#include "tests/support/harness/message_box_responder.h"

#include "tests/support/harness/message_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace
{
// How often a noticed dialog is looked at until it is visible. A modal dialog becomes visible
// when its loop first goes idle, a message box a few milliseconds after its activation.
const UINT kPollMs = 10;
const UINT_PTR kPollTimerId = 1;

std::wstring ClassOf(HWND hWnd)
{
    wchar_t szClass[64] = L"";
    GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
    return szClass;
}

std::wstring TextOf(HWND hWnd)
{
    std::wstring strText(static_cast<size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    strText.resize(GetWindowTextW(hWnd, &strText[0], static_cast<int>(strText.size())));
    return strText;
}

bool IsClass(HWND hWnd, const wchar_t* pszClass)
{
    return _wcsicmp(ClassOf(hWnd).c_str(), pszClass) == 0;
}

// The box's text with its line breaks visible, for failure messages.
std::wstring Printable(const std::wstring& strText)
{
    std::wstring strResult;
    for (wchar_t ch : strText)
    {
        if (ch == L'\r')
            strResult += L"\\r";
        else if (ch == L'\n')
            strResult += L"\\n";
        else
            strResult += ch;
    }
    return strResult;
}

std::string ButtonName(int nId)
{
    static const char* const kNames[] = {nullptr,   "IDOK",     "IDCANCEL",   "IDABORT",
                                         "IDRETRY", "IDIGNORE", "IDYES",      "IDNO",
                                         nullptr,   nullptr,    "IDTRYAGAIN", "IDCONTINUE"};
    if (nId > 0 && nId < static_cast<int>(ARRAYSIZE(kNames)) && kNames[nId])
        return kNames[nId];
    return "button " + std::to_string(nId);
}

bool HasButton(const CMessageBoxRecord& record, int nId)
{
    return std::find(record.buttonIds.begin(), record.buttonIds.end(), nId) !=
           record.buttonIds.end();
}

// What Escape or the close box would do, or the least harmful choice when a box has neither.
int CancelAction(const CMessageBoxRecord& record)
{
    if (record.buttonIds.empty() || HasButton(record, IDCANCEL))
        return IDCANCEL;
    if (record.buttonIds.size() == 1)
        return record.buttonIds.front();
    if (HasButton(record, IDNO))
        return IDNO;
    return record.buttonIds.front();
}

UINT IconKind(HICON hIcon)
{
    if (!hIcon)
        return 0;
    // The system's standard icons are shared handles: the box holds the very handle LoadIcon
    // gives.
    const struct
    {
        LPCWSTR pszId;
        UINT nKind;
    } icons[] = {
        {IDI_HAND, MB_ICONSTOP},
        {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
        {IDI_ASTERISK, MB_ICONINFORMATION},
    };
    for (const auto& icon : icons)
    {
        if (LoadIconW(nullptr, icon.pszId) == hIcon)
            return icon.nKind;
    }
    return MB_USERICON;
}
} // namespace

// The thread's hook and the dialogs it has noticed, shared by the thread's responders.
class CDialogWatch
{
public:
    static void Register(CMessageBoxResponder* pResponder);
    static void Unregister(CMessageBoxResponder* pResponder);
    // Dialogs (not message boxes) already visible will not take a handler queued from now on.
    static void LeaveVisibleDialogsAlone();

private:
    CDialogWatch();
    ~CDialogWatch();
    CDialogWatch(const CDialogWatch&) = delete;
    CDialogWatch& operator=(const CDialogWatch&) = delete;

    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    void Notice(HWND hWnd);
    void Poll();

    static thread_local CDialogWatch* t_pWatch;

    HHOOK m_hHook = nullptr;
    CMessageWindow m_window;
    std::vector<CMessageBoxResponder*> m_responders;
    // Dialogs noticed and not yet handled; dialogs already handled (a dialog is activated again
    // whenever a box it owns closes).
    std::vector<HWND> m_pending;
    std::vector<HWND> m_seen;
};

thread_local CDialogWatch* CDialogWatch::t_pWatch = nullptr;

CDialogWatch::CDialogWatch()
    : m_window([this](UINT nMessage, WPARAM wParam, LPARAM) {
          if (nMessage == WM_TIMER && wParam == kPollTimerId)
              Poll();
      })
{
    m_hHook = SetWindowsHookExW(WH_CBT, &CDialogWatch::CbtProc, nullptr, GetCurrentThreadId());
    if (!m_hHook)
        ADD_FAILURE() << "CMessageBoxResponder: SetWindowsHookExW(WH_CBT) failed, error "
                      << GetLastError();
}

CDialogWatch::~CDialogWatch()
{
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
}

void CDialogWatch::Register(CMessageBoxResponder* pResponder)
{
    if (!t_pWatch)
        t_pWatch = new CDialogWatch;
    t_pWatch->m_responders.push_back(pResponder);
}

void CDialogWatch::Unregister(CMessageBoxResponder* pResponder)
{
    CDialogWatch* pWatch = t_pWatch;
    if (!pWatch)
        return;
    auto& responders = pWatch->m_responders;
    responders.erase(std::remove(responders.begin(), responders.end(), pResponder),
                     responders.end());
    if (responders.empty())
    {
        t_pWatch = nullptr;
        delete pWatch;
    }
}

void CDialogWatch::LeaveVisibleDialogsAlone()
{
    CDialogWatch* pWatch = t_pWatch;
    if (!pWatch)
        return;
    CMessageBoxRecord record;
    auto& pending = pWatch->m_pending;
    pending.erase(std::remove_if(pending.begin(), pending.end(),
                                 [&record](HWND hWnd) {
                                     return IsWindowVisible(hWnd) &&
                                            !CMessageBoxResponder::ReadMessageBox(hWnd, record);
                                 }),
                  pending.end());
}

LRESULT CALLBACK CDialogWatch::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (CDialogWatch* pWatch = t_pWatch)
    {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        if (nCode == HCBT_CREATEWND)
        {
            auto* pCreate = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            if (!(pCreate->lpcs->style & WS_CHILD))
                pWatch->Notice(hWnd);
        }
        else if (nCode == HCBT_ACTIVATE && hWnd)
        {
            // Catches dialogs created before the first responder of the thread.
            pWatch->Notice(hWnd);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CDialogWatch::Notice(HWND hWnd)
{
    if (!IsClass(hWnd, L"#32770"))
        return;
    m_seen.erase(std::remove_if(m_seen.begin(), m_seen.end(), [](HWND h) { return !IsWindow(h); }),
                 m_seen.end());
    if (std::find(m_seen.begin(), m_seen.end(), hWnd) != m_seen.end())
        return;
    m_seen.push_back(hWnd);
    m_pending.push_back(hWnd);
    SetTimer(m_window.GetHwnd(), kPollTimerId, kPollMs, nullptr);
}

void CDialogWatch::Poll()
{
    // Handling a dialog runs its handler, which pumps messages: this is re-entered from inside,
    // so each window is taken off the list before it is handled.
    const std::vector<HWND> snapshot = m_pending;
    for (HWND hWnd : snapshot)
    {
        auto it = std::find(m_pending.begin(), m_pending.end(), hWnd);
        if (it == m_pending.end())
            continue;
        if (!IsWindow(hWnd))
        {
            m_pending.erase(it);
            continue;
        }
        if (!IsWindowVisible(hWnd))
            continue;
        m_pending.erase(it);
        if (m_responders.empty())
            continue;
        CMessageBoxResponder* pResponder = m_responders.back();
        CMessageBoxRecord record;
        if (CMessageBoxResponder::ReadMessageBox(hWnd, record))
            pResponder->HandleMessageBox(hWnd, std::move(record));
        else
            pResponder->HandleDialog(hWnd);
        // The handler may have ended the last responder, and with it this object.
        if (t_pWatch != this)
            return;
    }
    if (m_pending.empty())
        KillTimer(m_window.GetHwnd(), kPollTimerId);
}

CMessageBoxResponder::CMessageBoxResponder()
{
    CDialogWatch::Register(this);
}

CMessageBoxResponder::~CMessageBoxResponder()
{
    CDialogWatch::Unregister(this);
    if (!m_answers.empty())
    {
        ADD_FAILURE() << m_answers.size()
                      << " queued message box answer(s) never used; the first was "
                      << ButtonName(m_answers.front().nButtonId);
    }
    if (!m_dialogHandlers.empty())
    {
        ADD_FAILURE() << m_dialogHandlers.size()
                      << " queued dialog handler(s) never used: the dialog did not appear";
    }
}

void CMessageBoxResponder::Answer(int nButtonId, std::function<void(HWND hBox)> fnWhileShown)
{
    m_answers.push_back({nButtonId, std::move(fnWhileShown)});
}

void CMessageBoxResponder::OnDialogActivated(std::function<void(HWND hDialog)> fnHandler)
{
    // A dialog the test showed itself may not have been looked at yet; the handler is for the
    // next one.
    CDialogWatch::LeaveVisibleDialogsAlone();
    m_dialogHandlers.push_back(std::move(fnHandler));
}

bool CMessageBoxResponder::ReadMessageBox(HWND hWnd, CMessageBoxRecord& record)
{
    if (!IsClass(hWnd, L"#32770"))
        return false;
    // The system creates message boxes from its own template: no module of the program owns
    // them (under Wine the instance is null). A program dialog of labels and buttons is not one.
    const HINSTANCE hInstance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hWnd, GWLP_HINSTANCE));
    if (hInstance && hInstance != GetModuleHandleW(L"user32.dll"))
        return false;

    CMessageBoxRecord result;
    bool bHasText = false;
    for (HWND hChild = GetWindow(hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
    {
        const LONG nStyle = GetWindowLongW(hChild, GWL_STYLE);
        if (IsClass(hChild, L"Button"))
        {
            if (nStyle & WS_VISIBLE)
            {
                result.buttons.push_back(TextOf(hChild));
                result.buttonIds.push_back(GetDlgCtrlID(hChild));
            }
        }
        else if (IsClass(hChild, L"Static"))
        {
            if ((nStyle & SS_TYPEMASK) == SS_ICON)
            {
                result.nIcon =
                    IconKind(reinterpret_cast<HICON>(SendMessageW(hChild, STM_GETICON, 0, 0)));
            }
            else if (GetDlgCtrlID(hChild) == 0xFFFF)
            {
                result.strText = TextOf(hChild);
                bHasText = true;
            }
        }
        else
        {
            return false;
        }
    }
    if (!bHasText)
        return false;
    result.hOwner = GetWindow(hWnd, GW_OWNER);
    result.strCaption = TextOf(hWnd);
    record = std::move(result);
    return true;
}

void CMessageBoxResponder::HandleMessageBox(HWND hBox, CMessageBoxRecord record)
{
    const bool bExpected = !m_answers.empty();
    int nAnswer = 0;
    if (bExpected)
    {
        CAnswer answer = std::move(m_answers.front());
        m_answers.pop_front();
        nAnswer = answer.nButtonId;
        if (answer.fnWhileShown)
            answer.fnWhileShown(hBox);
    }
    const bool bValid = bExpected && HasButton(record, nAnswer);
    // A box ends with whatever command it is sent, even one it has no button for, so only its
    // own buttons are ever pressed.
    record.nPressed = bValid ? nAnswer : CancelAction(record);
    PostMessageW(hBox, WM_COMMAND, MAKEWPARAM(record.nPressed, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hBox, record.nPressed)));
    m_boxes.push_back(record);

    if (!bExpected)
    {
        ADD_FAILURE() << "Unexpected message box \"" << Printable(record.strCaption) << "\": \""
                      << Printable(record.strText) << "\"; dismissed with "
                      << ButtonName(record.nPressed);
    }
    else if (!bValid)
    {
        std::ostringstream buttons;
        for (int nId : record.buttonIds)
            buttons << ' ' << ButtonName(nId);
        ADD_FAILURE() << "The answer " << ButtonName(nAnswer)
                      << " is not a button of message box \"" << Printable(record.strCaption)
                      << "\": \"" << Printable(record.strText)
                      << "\" (its buttons:" << buttons.str() << "); dismissed with "
                      << ButtonName(record.nPressed);
    }
}

void CMessageBoxResponder::HandleDialog(HWND hDialog)
{
    if (m_dialogHandlers.empty())
        return;
    std::function<void(HWND)> fnHandler = std::move(m_dialogHandlers.front());
    m_dialogHandlers.pop_front();
    bool bFailed = false;
    try
    {
        fnHandler(hDialog);
    }
    catch (const std::exception& e)
    {
        ADD_FAILURE() << "The dialog handler threw: " << e.what();
        bFailed = true;
    }
    catch (...)
    {
        ADD_FAILURE() << "The dialog handler threw an exception";
        bFailed = true;
    }
    // A handler that stopped half-way (a failed ASSERT returns from it) would leave its modal
    // dialog waiting for ever; cancel it so that the test ends and reports.
    if ((bFailed || testing::Test::HasFatalFailure()) && IsWindow(hDialog))
        PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
