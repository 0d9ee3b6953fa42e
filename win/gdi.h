// Scope guards for the graphics device interface. Every Get/Release, Begin/End, Create/Delete and
// Select/restore pair is one object; ownership shows in the type; none can be copied.
#pragma once

#include <windows.h>

#include <utility>

// An owned GDI object (font, brush, pen, bitmap, region), deleted with the guard.
template <typename THandle>
class CGdiObject
{
public:
    CGdiObject() = default;
    explicit CGdiObject(THandle h) : m_h(h) {}
    ~CGdiObject() { Reset(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_h, nullptr));
        return *this;
    }

    void Reset(THandle h = nullptr)
    {
        if (m_h)
            ::DeleteObject(m_h);
        m_h = h;
    }
    THandle Release() { return std::exchange(m_h, nullptr); }
    THandle Get() const { return m_h; }
    operator THandle() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    THandle m_h = nullptr;
};

using CFont = CGdiObject<HFONT>;
using CBrush = CGdiObject<HBRUSH>;
using CPen = CGdiObject<HPEN>;
using CBitmap = CGdiObject<HBITMAP>;
using CRgn = CGdiObject<HRGN>;

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
    const PAINTSTRUCT& PaintStruct() const { return m_ps; }

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

// An owned icon or cursor copy (DestroyIcon / DestroyCursor). Shared system icons and cursors are
// never put in one.
class CIcon
{
public:
    CIcon() = default;
    explicit CIcon(HICON h) : m_h(h) {}
    ~CIcon() { Reset(); }
    CIcon(const CIcon&) = delete;
    CIcon& operator=(const CIcon&) = delete;
    void Reset(HICON h = nullptr)
    {
        if (m_h)
            ::DestroyIcon(m_h);
        m_h = h;
    }
    HICON Get() const { return m_h; }
    operator HICON() const { return m_h; }

private:
    HICON m_h = nullptr;
};

class CCursor
{
public:
    CCursor() = default;
    explicit CCursor(HCURSOR h) : m_h(h) {}
    ~CCursor() { Reset(); }
    CCursor(const CCursor&) = delete;
    CCursor& operator=(const CCursor&) = delete;
    void Reset(HCURSOR h = nullptr)
    {
        if (m_h)
            ::DestroyCursor(m_h);
        m_h = h;
    }
    HCURSOR Get() const { return m_h; }
    operator HCURSOR() const { return m_h; }

private:
    HCURSOR m_h = nullptr;
};

// A library loaded for a while (LoadLibrary / FreeLibrary).
class CLibrary
{
public:
    CLibrary() = default;
    explicit CLibrary(HMODULE h) : m_h(h) {}
    ~CLibrary() { Reset(); }
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;
    void Reset(HMODULE h = nullptr)
    {
        if (m_h)
            ::FreeLibrary(m_h);
        m_h = h;
    }
    HMODULE Get() const { return m_h; }
    operator HMODULE() const { return m_h; }

private:
    HMODULE m_h = nullptr;
};
