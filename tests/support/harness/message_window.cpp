#include "tests/support/harness/message_window.h"

#include <stdexcept>

namespace
{
const wchar_t kClassName[] = L"QuillmereHarnessMessageWindow";

HINSTANCE ThisModule()
{
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &hModule);
    return hModule;
}
} // namespace

CMessageWindow::CMessageWindow(Handler fnHandler) : m_fnHandler(std::move(fnHandler))
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CMessageWindow::WindowProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kClassName;
    // A second registration fails with ERROR_CLASS_ALREADY_EXISTS, which is fine.
    RegisterClassExW(&wc);
    m_hWnd = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                             this);
    if (!m_hWnd)
        throw std::runtime_error("CMessageWindow: CreateWindowExW failed");
}

CMessageWindow::~CMessageWindow()
{
    if (m_hWnd)
    {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK CMessageWindow::WindowProc(HWND hWnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_NCCREATE)
    {
        auto* pCreate = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    else if (nMessage == WM_TIMER || nMessage >= WM_APP)
    {
        auto* pThis = reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (pThis && pThis->m_fnHandler)
        {
            pThis->m_fnHandler(nMessage, wParam, lParam);
            return 0;
        }
    }
    return DefWindowProcW(hWnd, nMessage, wParam, lParam);
}
