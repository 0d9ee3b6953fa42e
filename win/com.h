// Scope guards for COM: references, strings and the apartment of a thread.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <memory>
#include <new>
#include <utility>

// Runs the body of a COM method so that no exception leaves it: the caller is another
// component, often another compiler's code, that cannot catch ours.
template <typename Body> HRESULT CallWithoutThrowing(Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

// An owned interface reference.
template <typename T>
class CComPtr
{
public:
    CComPtr() = default;
    CComPtr(T* p) : m_p(p)  // takes a new reference
    {
        if (m_p)
            m_p->AddRef();
    }
    CComPtr(const CComPtr& other) : CComPtr(other.m_p) {}
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    ~CComPtr() { Release(); }
    CComPtr& operator=(const CComPtr& other)
    {
        CComPtr copy(other);
        std::swap(m_p, copy.m_p);
        return *this;
    }
    CComPtr& operator=(CComPtr&& other) noexcept
    {
        // operator& is the out-parameter accessor: compare real addresses.
        if (this != std::addressof(other))
        {
            Release();
            m_p = std::exchange(other.m_p, nullptr);
        }
        return *this;
    }

    void Release()
    {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // For out parameters: the reference written there becomes this one's.
    T** operator&()
    {
        Release();
        return &m_p;
    }
    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    operator T*() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

// An owned BSTR.
class CComBSTR
{
public:
    CComBSTR() = default;
    explicit CComBSTR(const wchar_t* psz) : m_bstr(psz ? ::SysAllocString(psz) : nullptr) {}
    ~CComBSTR() { ::SysFreeString(m_bstr); }
    CComBSTR(const CComBSTR&) = delete;
    CComBSTR& operator=(const CComBSTR&) = delete;
    BSTR* operator&()
    {
        ::SysFreeString(m_bstr);
        m_bstr = nullptr;
        return &m_bstr;
    }
    operator BSTR() const { return m_bstr; }
    BSTR Get() const { return m_bstr; }

private:
    BSTR m_bstr = nullptr;
};

// Initialises COM for the thread (apartment threaded) and uninitialises it when it goes, if the
// initialisation succeeded.
class CComInitializer
{
public:
    CComInitializer() : m_hr(::CoInitialize(nullptr)) {}
    ~CComInitializer()
    {
        if (SUCCEEDED(m_hr))
            ::CoUninitialize();
    }
    CComInitializer(const CComInitializer&) = delete;
    CComInitializer& operator=(const CComInitializer&) = delete;
    HRESULT Result() const { return m_hr; }

private:
    HRESULT m_hr;
};
