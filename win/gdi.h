// Scope guards for the graphics device interface. Every Get/Release, Begin/End, Create/Delete and
// Select/restore pair is one object; ownership shows in the type; none can be copied.
#pragma once

#include <windows.h>

#include <utility>

// An owned handle that TFree releases; none of them can be copied. Shared system icons and
// cursors are never put in one.
template <typename THandle, typename TFree>
class COwnedHandle
{
public:
    COwnedHandle() = default;
    explicit COwnedHandle(THandle h) : m_h(h) {}
    ~COwnedHandle() { Reset(); }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;

    void Reset(THandle h = nullptr)
    {
        if (m_h)
            TFree()(m_h);
        m_h = h;
    }
    THandle Release() { return std::exchange(m_h, nullptr); }
    THandle Get() const { return m_h; }
    operator THandle() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    THandle m_h = nullptr;
};

struct CDeleteObject
{
    void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct CDestroyIcon
{
    void operator()(HICON h) const { ::DestroyIcon(h); }
};
struct CDestroyCursor
{
    void operator()(HCURSOR h) const { ::DestroyCursor(h); }
};
struct CFreeLibrary
{
    void operator()(HMODULE h) const { ::FreeLibrary(h); }
};

// GDI objects (fonts, brushes, pens, bitmaps, regions), icon and cursor copies, loaded libraries.
using CFont = COwnedHandle<HFONT, CDeleteObject>;
using CBrush = COwnedHandle<HBRUSH, CDeleteObject>;
using CPen = COwnedHandle<HPEN, CDeleteObject>;
using CBitmap = COwnedHandle<HBITMAP, CDeleteObject>;
using CRgn = COwnedHandle<HRGN, CDeleteObject>;
using CIcon = COwnedHandle<HICON, CDestroyIcon>;
using CCursor = COwnedHandle<HCURSOR, CDestroyCursor>;
using CLibrary = COwnedHandle<HMODULE, CFreeLibrary>;

// Selects an object into a device context and restores the previous one when it goes.
class CSelectObject
{
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    ~CSelectObject()
    {
        if (m_hOld && m_hOld != HGDI_ERROR)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// Keeps a context's state (colours, modes, clipping) and restores it when it goes.
class CSaveDC
{
public:
    explicit CSaveDC(HDC hDC) : m_hDC(hDC), m_nSaved(::SaveDC(hDC)) {}
    ~CSaveDC()
    {
        if (m_nSaved)
            ::RestoreDC(m_hDC, m_nSaved);
    }
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    HDC m_hDC;
    int m_nSaved;
};

// BeginPaint / EndPaint.
class CPaintDC
{
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::BeginPaint(hWnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};

// GetDC or GetWindowDC / ReleaseDC.
class CClientDC
{
public:
    explicit CClientDC(HWND hWnd, bool bWholeWindow = false)
        : m_hWnd(hWnd), m_hDC(bWholeWindow ? ::GetWindowDC(hWnd) : ::GetDC(hWnd))
    {
    }
    ~CClientDC()
    {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

// An owned memory context compatible with another (CreateCompatibleDC / DeleteDC).
class CMemoryDC
{
public:
    explicit CMemoryDC(HDC hCompatible) : m_hDC(::CreateCompatibleDC(hCompatible)) {}
    ~CMemoryDC()
    {
        if (m_hDC)
            ::DeleteDC(m_hDC);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC;
};

// Whether the user chose a high-contrast colour scheme: colours of the product's own then give
// way to the scheme's.
inline bool IsHighContrastOn()
{
    HIGHCONTRASTW info{};
    info.cbSize = sizeof(info);
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(info), &info, 0) && (info.dwFlags & HCF_HIGHCONTRASTON);
}

// The same font in bold, owned by the caller; null when hFont cannot be read.
inline HFONT CreateBoldFont(HFONT hFont)
{
    LOGFONTW logFont{};
    if (!hFont || ::GetObjectW(hFont, sizeof(logFont), &logFont) != sizeof(logFont))
        return nullptr;
    logFont.lfWeight = FW_BOLD;
    return ::CreateFontIndirectW(&logFont);
}
