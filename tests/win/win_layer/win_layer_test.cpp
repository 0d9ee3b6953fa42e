#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/win/win_layer/win_layer_test_ids.h"
#include "win/common_controls.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/module.h"

namespace
{
const wchar_t kTestClass[] = L"QuillmereWinLayerTest";

// A top-level window of a class that is not ours, bound as it is created, that records what its
// handlers saw.
class CRecordingWnd : public CWnd
{
public:
    std::vector<std::wstring> m_events;

    bool Create()
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ModuleInstance();
        wc.lpszClassName = kTestClass;
        RegisterClassExW(&wc);
        return CreateEx(0, kTestClass, L"recording", WS_OVERLAPPEDWINDOW, RECT{10, 10, 310, 210}, nullptr, 0);
    }

protected:
    int OnCreate(CREATESTRUCTW* pCreate) override
    {
        m_events.push_back(L"create " + std::wstring(pCreate->lpszName));
        return CWnd::OnCreate(pCreate);
    }
    void OnSize(UINT, int cx, int cy) override
    {
        m_events.push_back(L"size " + std::to_wstring(cx) + L"x" + std::to_wstring(cy));
        Default();
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        m_events.push_back(L"command " + std::to_wstring(HIWORD(wParam)) + L" from " + std::to_wstring(LOWORD(wParam)));
        return TRUE;
    }
    void OnDestroy() override
    {
        m_events.push_back(L"destroy");
        Default();
    }
};

// A button that handles its own click and colour, as a control does through reflection.
class CReflectingButton : public CButton
{
public:
    int m_nClicks = 0;
    bool m_bHandleClick = true;
    HBRUSH m_hBrush = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));

protected:
    bool OnReflectedCommand(UINT nCode, LRESULT* pResult) override
    {
        if (nCode != BN_CLICKED || !m_bHandleClick)
            return false;
        ++m_nClicks;
        *pResult = 0;
        return true;
    }
    HBRUSH OnReflectedCtlColor(HDC, UINT nCtlColor) override
    {
        return nCtlColor == CTLCOLOR_BTN ? m_hBrush : nullptr;
    }
};

class CTestDialog : public CDialog
{
public:
    CTestDialog() : CDialog(IDD_WIN_LAYER_TEST) {}

    std::function<void(CTestDialog&)> m_onInit;
    std::wstring m_strText = L"initial";
    CEdit m_edit;
    int m_nInits = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        ++m_nInits;
        if (m_onInit)
            m_onInit(*this);
        return TRUE;
    }
    void DoDataExchange(CDataExchange& dx) override
    {
        DDX_Control(dx, IDC_WIN_LAYER_EDIT, m_edit);
        if (dx.m_bSaveAndValidate)
            m_strText = m_edit.GetWindowText();
        else
            m_edit.SetWindowText(m_strText);
    }
};

// A key as the keyboard delivers it: through the queue, so that the modal loop sees it.
void PostKey(HWND hWnd, UINT nVirtualKey)
{
    const UINT nScan = MapVirtualKeyW(nVirtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(hWnd, WM_KEYDOWN, nVirtualKey, 1 | (nScan << 16));
    PostMessageW(hWnd, WM_KEYUP, nVirtualKey, 1 | (nScan << 16) | (1u << 30) | (1u << 31));
}

// An edit that keeps Enter for itself, as a page's control does.
class CEnterEatingEdit : public CEdit
{
public:
    int m_nEaten = 0;
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
        {
            ++m_nEaten;
            return TRUE;
        }
        return FALSE;
    }
};
}  // namespace

TEST(WindowObject, HandlersSeeTheirMessagesUnpacked)
{
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    ASSERT_FALSE(wnd.m_events.empty());
    EXPECT_EQ(wnd.m_events.front(), L"create recording");

    wnd.m_events.clear();
    wnd.SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client;
    wnd.GetClientRect(&client);
    ASSERT_FALSE(wnd.m_events.empty());
    EXPECT_EQ(wnd.m_events.back(), L"size " + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));
    // Unhandled messages get the window's own behaviour.
    EXPECT_EQ(wnd.GetWindowText(), L"recording");

    // Teardown: the last messages reach the object, then it lets go of the handle.
    const HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_events.back(), L"destroy");
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST(WindowObject, AnObjectThatGoesFirstTakesItsWindowAlong)
{
    HWND hWnd = nullptr;
    {
        CRecordingWnd wnd;
        ASSERT_TRUE(wnd.Create());
        hWnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
}

TEST(WindowObject, SubclassingRoutesAndRestores)
{
    CRecordingWnd parent;
    ASSERT_TRUE(parent.Create());
    const HWND hButton = CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 24,
                                         parent.m_hWnd, reinterpret_cast<HMENU>(7), nullptr, nullptr);
    const LONG_PTR original = GetWindowLongPtrW(hButton, GWLP_WNDPROC);

    // A handle without an object gets a wrapper that owns nothing.
    CWnd* pWrapper = CWnd::FromHandle(hButton);
    ASSERT_NE(pWrapper, nullptr);
    EXPECT_EQ(pWrapper->m_hWnd, hButton);
    EXPECT_EQ(CWnd::FromHandlePermanent(hButton), nullptr);

    CReflectingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(7, &parent));
    EXPECT_FALSE(button.SubclassWindow(hButton)) << "one object per window";
    EXPECT_EQ(CWnd::FromHandle(hButton), &button);
    EXPECT_NE(GetWindowLongPtrW(hButton, GWLP_WNDPROC), original);
    button.SetWindowText(L"pressed");  // the control's own behaviour still runs
    EXPECT_EQ(button.GetWindowText(), L"pressed");

    EXPECT_EQ(button.UnsubclassWindow(), hButton);
    EXPECT_EQ(GetWindowLongPtrW(hButton, GWLP_WNDPROC), original);
    EXPECT_TRUE(IsWindow(hButton)) << "a subclassed window outlives its object";
    parent.DestroyWindow();
}

TEST(WindowObject, ParentReflectsNotificationsToTheControl)
{
    CRecordingWnd parent;
    ASSERT_TRUE(parent.Create());
    CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 80, 24, parent.m_hWnd,
                    reinterpret_cast<HMENU>(9), nullptr, nullptr);
    CReflectingButton button;
    ASSERT_TRUE(button.SubclassDlgItem(9, &parent));

    parent.m_events.clear();
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.m_nClicks, 1);
    EXPECT_TRUE(parent.m_events.empty()) << "handled by the control, not its parent";

    button.m_bHandleClick = false;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.m_nClicks, 1);
    ASSERT_EQ(parent.m_events.size(), 1u);
    EXPECT_EQ(parent.m_events[0], L"command " + std::to_wstring(BN_CLICKED) + L" from 9");

    // WM_CTLCOLOR*: the control's brush when it gives one, else the parent's.
    CClientDC dc(button.m_hWnd);
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                                 reinterpret_cast<LPARAM>(button.m_hWnd)),
              reinterpret_cast<LRESULT>(button.m_hBrush));
    EXPECT_NE(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)),
                                 reinterpret_cast<LPARAM>(button.m_hWnd)),
              reinterpret_cast<LRESULT>(button.m_hBrush));
    parent.DestroyWindow();
}

TEST(Dialog, ModalLoopEndsWithTheResultGiven)
{
    CTestDialog dialog;
    dialog.m_onInit = [](CTestDialog& dlg) {
        EXPECT_EQ(dlg.m_edit.GetWindowText(), L"initial");  // DDX moved the value in
        dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDC_WIN_LAYER_BUTTON, BN_CLICKED), 0);
        SetTimer(dlg.m_hWnd, 1, 10, [](HWND hDlg, UINT, UINT_PTR, DWORD) {
            KillTimer(hDlg, 1);
            static_cast<CTestDialog*>(CWnd::FromHandlePermanent(hDlg))->EndDialog(42);
        });
    };
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.m_nInits, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    // Ended during its own initialisation: never shown, same result.
    CTestDialog early;
    early.m_onInit = [](CTestDialog& dlg) {
        dlg.EndDialog(7);
        EXPECT_FALSE(dlg.IsWindowVisible());
    };
    EXPECT_EQ(early.DoModal(), 7);
}

TEST(Dialog, EnterAndEscapeGoThroughTheTranslateChain)
{
    // Typed text comes back through DDX on OK (Enter on the default button).
    CTestDialog typed;
    typed.m_onInit = [](CTestDialog& dlg) {
        dlg.m_edit.SetWindowText(L"");
        dlg.m_edit.SetFocus();
        for (wchar_t c : std::wstring(L"typed"))
            dlg.m_edit.PostMessage(WM_CHAR, c, 1);
        PostKey(dlg.m_edit.m_hWnd, VK_RETURN);
    };
    EXPECT_EQ(typed.DoModal(), IDOK);
    EXPECT_EQ(typed.m_strText, L"typed");

    CTestDialog escaped;
    escaped.m_onInit = [](CTestDialog& dlg) {
        dlg.m_edit.SetWindowText(L"changed");
        dlg.m_edit.SetFocus();
        PostKey(dlg.m_edit.m_hWnd, VK_ESCAPE);
    };
    EXPECT_EQ(escaped.DoModal(), IDCANCEL);
    EXPECT_EQ(escaped.m_strText, L"initial") << "Cancel moves nothing out";

    // A control that takes Enter before the dialog keeps the dialog open.
    CTestDialog eaten;
    CEnterEatingEdit edit;
    eaten.m_onInit = [&edit](CTestDialog& dlg) {
        dlg.m_edit.UnsubclassWindow();
        ASSERT_TRUE(edit.SubclassDlgItem(IDC_WIN_LAYER_EDIT, &dlg));
        edit.SetFocus();
        PostKey(edit.m_hWnd, VK_RETURN);
        SetTimer(dlg.m_hWnd, 2, 200, [](HWND hDlg, UINT, UINT_PTR, DWORD) {
            KillTimer(hDlg, 2);
            static_cast<CTestDialog*>(CWnd::FromHandlePermanent(hDlg))->EndDialog(5);
        });
    };
    EXPECT_EQ(eaten.DoModal(), 5);
    EXPECT_EQ(edit.m_nEaten, 1);
}

TEST(Dialog, AModalDialogWithoutParentIsOwnedByTheActiveWindowAndDisablesItMeanwhile)
{
    // The window the user works in, with the focus in one of its controls.
    CTestDialog host;
    ASSERT_TRUE(host.Create(IDD_WIN_LAYER_TEST, nullptr));
    host.ShowWindow(SW_SHOW);
    ::SetActiveWindow(host.m_hWnd);
    host.m_edit.SetFocus();
    ASSERT_EQ(::GetActiveWindow(), host.m_hWnd);

    // Seen from inside the modal run, once the dialog is shown.
    static HWND s_hOwner;
    static BOOL s_bOwnerEnabled;
    for (const bool bDisabledBefore : {false, true})
    {
        SCOPED_TRACE(bDisabledBefore ? "owner disabled by a run further out" : "owner enabled");
        host.EnableWindow(!bDisabledBefore);
        s_hOwner = nullptr;
        s_bOwnerEnabled = TRUE;
        CTestDialog dialog;
        dialog.m_onInit = [](CTestDialog& dlg) {
            SetTimer(dlg.m_hWnd, 3, 10, [](HWND hDlg, UINT, UINT_PTR, DWORD) {
                KillTimer(hDlg, 3);
                s_hOwner = ::GetWindow(hDlg, GW_OWNER);
                s_bOwnerEnabled = ::IsWindowEnabled(s_hOwner);
                static_cast<CTestDialog*>(CWnd::FromHandlePermanent(hDlg))->EndDialog(42);
            });
        };
        EXPECT_EQ(dialog.DoModal(), 42);
        EXPECT_EQ(s_hOwner, host.m_hWnd);
        EXPECT_FALSE(s_bOwnerEnabled);
        // Given back as it was found, and active again when it was enabled.
        EXPECT_EQ(host.IsWindowEnabled() != FALSE, !bDisabledBefore);
        if (!bDisabledBefore)
        {
            EXPECT_EQ(::GetActiveWindow(), host.m_hWnd);
        }
    }
    host.DestroyWindow();
}

TEST(Gdi, SelectionsAreRestored)
{
    CMemoryDC dc(nullptr);
    const HGDIOBJ hOriginal = GetCurrentObject(dc, OBJ_FONT);
    CFont font(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    ASSERT_TRUE(font);
    {
        CSelectObject select(dc, font);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font.Get());
    }
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), hOriginal);
}

namespace
{
class CThrowingDialog : public CTestDialog
{
public:
    bool m_bThrowInInit = true;

protected:
    BOOL OnInitDialog() override
    {
        CTestDialog::OnInitDialog();
        if (m_bThrowInInit)
            throw std::runtime_error("init failed");
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_WIN_LAYER_BUTTON, BN_CLICKED), 0);
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_WIN_LAYER_BUTTON)
            throw std::logic_error("handler failed");
        return CTestDialog::OnCommand(wParam, lParam);
    }
};

class CThrowingWnd : public CRecordingWnd
{
protected:
    int OnCreate(CREATESTRUCTW*) override { throw std::runtime_error("create failed"); }
};
}  // namespace

TEST(WindowObject, ExceptionsNeverUnwindThroughTheSystem)
{
    // Thrown in the initialisation: the creation call throws it, and no window is left.
    CThrowingDialog failingInit;
    EXPECT_THROW(
        {
            try
            {
                failingInit.DoModal();
            }
            catch (const std::runtime_error& e)
            {
                EXPECT_STREQ(e.what(), "init failed");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_EQ(failingInit.m_hWnd, nullptr);

    // Thrown by a handler inside the modal loop: the loop ends with it.
    CThrowingDialog failingHandler;
    failingHandler.m_bThrowInInit = false;
    EXPECT_THROW(failingHandler.DoModal(), std::logic_error);
    EXPECT_EQ(failingHandler.m_hWnd, nullptr);

    CThrowingWnd failingCreate;
    EXPECT_THROW(failingCreate.Create(), std::runtime_error);
    EXPECT_EQ(failingCreate.m_hWnd, nullptr);

    // Nothing is left over for the next caller.
    CTestDialog fine;
    fine.m_onInit = [](CTestDialog& dlg) { dlg.EndDialog(3); };
    EXPECT_EQ(fine.DoModal(), 3);
}
