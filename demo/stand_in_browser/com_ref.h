// An owned COM reference for the stand-in browser and the test add-on. They play the parts of
// programs that are not ours, so they keep to themselves rather than borrow the add-on's helpers.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <utility>

template <typename T> class CComRef
{
public:
    CComRef() = default;
    // Takes a reference of its own.
    explicit CComRef(T* p) : m_p(p)
    {
        if (m_p)
            m_p->AddRef();
    }
    CComRef(CComRef&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComRef& operator=(CComRef&& other) noexcept
    {
        if (this != &other)
        {
            Release();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    ~CComRef() { Release(); }

    void Release()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // For an out parameter: what is written there becomes this reference.
    T** Out()
    {
        Release();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};
