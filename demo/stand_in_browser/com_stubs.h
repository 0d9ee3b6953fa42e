// What the COM objects of the stand-in and of the tests share: reference counting, QueryInterface
// from a table, and interfaces whose every operation answers E_NOTIMPL, for the objects to
// override the few the add-on calls. The marshaller calls operations by their place in the table,
// so the whole table has to exist.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <mshtml.h>

#include <initializer_list>
#include <string>
#include <utility>

// QueryInterface over the interfaces an object answers, each with the pointer that answers it.
inline HRESULT QueryFromTable(REFIID riid, void** ppv,
                              std::initializer_list<std::pair<const IID*, IUnknown*>> table)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (const auto& entry : table)
    {
        if (riid == *entry.first)
        {
            *ppv = entry.second;
            entry.second->AddRef();
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

inline HRESULT CopyToBstr(const std::wstring& strText, BSTR* pbstr)
{
    if (!pbstr)
        return E_POINTER;
    *pbstr = SysAllocStringLen(strText.data(), static_cast<UINT>(strText.size()));
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

// clang-format off
#define QLMR_NOTIMPL(name, ...) STDMETHODIMP name(__VA_ARGS__) override { return E_NOTIMPL; }
// A property read and written: get_X(T*) and put_X(T).
#define QLMR_NOTIMPL_PROP(name, type) QLMR_NOTIMPL(get_##name, type*) QLMR_NOTIMPL(put_##name, type)

// AddRef and Release over a LONG m_nRefs member that starts at one; the object deletes itself when
// the count reaches zero.
#define QLMR_COUNTED_REFS                                                                      \
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_nRefs); }         \
    STDMETHODIMP_(ULONG) Release() override                                                    \
    {                                                                                          \
        const LONG nRefs = InterlockedDecrement(&m_nRefs);                                     \
        if (nRefs == 0)                                                                        \
            delete this;                                                                       \
        return nRefs;                                                                          \
    }

#define QLMR_NOTIMPL_DISPATCH                                                                  \
    QLMR_NOTIMPL(GetTypeInfoCount, UINT*) QLMR_NOTIMPL(GetTypeInfo, UINT, LCID, ITypeInfo**)   \
    QLMR_NOTIMPL(GetIDsOfNames, REFIID, LPOLESTR*, UINT, LCID, DISPID*)                        \
    QLMR_NOTIMPL(Invoke, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)

class CWebBrowserStubs : public IWebBrowser2
{
public:
    virtual ~CWebBrowserStubs() = default;

    // QueryInterface for IUnknown, IDispatch and the three browser interfaces, then for the
    // interfaces the object adds.
    HRESULT QueryBrowser(REFIID riid, void** ppv, std::initializer_list<std::pair<const IID*, IUnknown*>> more)
    {
        IWebBrowser2* pBrowser = this;
        const HRESULT hr = QueryFromTable(riid, ppv,
                                          {{&IID_IUnknown, pBrowser},
                                           {&IID_IDispatch, pBrowser},
                                           {&IID_IWebBrowser, pBrowser},
                                           {&IID_IWebBrowserApp, pBrowser},
                                           {&IID_IWebBrowser2, pBrowser}});
        return hr == E_NOINTERFACE ? QueryFromTable(riid, ppv, more) : hr;
    }

    QLMR_NOTIMPL_DISPATCH
    QLMR_NOTIMPL(GoBack) QLMR_NOTIMPL(GoForward) QLMR_NOTIMPL(GoHome) QLMR_NOTIMPL(GoSearch)
    QLMR_NOTIMPL(Navigate, BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
    QLMR_NOTIMPL(Refresh) QLMR_NOTIMPL(Refresh2, VARIANT*) QLMR_NOTIMPL(Stop)
    QLMR_NOTIMPL(get_Application, IDispatch**) QLMR_NOTIMPL(get_Parent, IDispatch**)
    QLMR_NOTIMPL(get_Container, IDispatch**) QLMR_NOTIMPL(get_Document, IDispatch**)
    QLMR_NOTIMPL(get_TopLevelContainer, VARIANT_BOOL*) QLMR_NOTIMPL(get_Type, BSTR*)
    QLMR_NOTIMPL_PROP(Left, LONG) QLMR_NOTIMPL_PROP(Top, LONG)
    QLMR_NOTIMPL_PROP(Width, LONG) QLMR_NOTIMPL_PROP(Height, LONG)
    QLMR_NOTIMPL(get_LocationName, BSTR*) QLMR_NOTIMPL(get_LocationURL, BSTR*)
    QLMR_NOTIMPL(get_Busy, VARIANT_BOOL*)
    QLMR_NOTIMPL(Quit) QLMR_NOTIMPL(ClientToWindow, int*, int*)
    QLMR_NOTIMPL(PutProperty, BSTR, VARIANT) QLMR_NOTIMPL(GetProperty, BSTR, VARIANT*)
    QLMR_NOTIMPL(get_Name, BSTR*) QLMR_NOTIMPL(get_HWND, SHANDLE_PTR*)
    QLMR_NOTIMPL(get_FullName, BSTR*) QLMR_NOTIMPL(get_Path, BSTR*)
    QLMR_NOTIMPL_PROP(Visible, VARIANT_BOOL) QLMR_NOTIMPL_PROP(StatusBar, VARIANT_BOOL)
    QLMR_NOTIMPL_PROP(StatusText, BSTR) QLMR_NOTIMPL_PROP(ToolBar, int)
    QLMR_NOTIMPL_PROP(MenuBar, VARIANT_BOOL) QLMR_NOTIMPL_PROP(FullScreen, VARIANT_BOOL)
    QLMR_NOTIMPL(Navigate2, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
    QLMR_NOTIMPL(QueryStatusWB, OLECMDID, OLECMDF*)
    QLMR_NOTIMPL(ExecWB, OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*)
    QLMR_NOTIMPL(ShowBrowserBar, VARIANT*, VARIANT*, VARIANT*)
    QLMR_NOTIMPL(get_ReadyState, READYSTATE*)
    QLMR_NOTIMPL_PROP(Offline, VARIANT_BOOL) QLMR_NOTIMPL_PROP(Silent, VARIANT_BOOL)
    QLMR_NOTIMPL_PROP(RegisterAsBrowser, VARIANT_BOOL)
    QLMR_NOTIMPL_PROP(RegisterAsDropTarget, VARIANT_BOOL)
    QLMR_NOTIMPL_PROP(TheaterMode, VARIANT_BOOL) QLMR_NOTIMPL_PROP(AddressBar, VARIANT_BOOL)
    QLMR_NOTIMPL_PROP(Resizable, VARIANT_BOOL)
};

class CHtmlDocumentStubs : public IHTMLDocument2
{
public:
    virtual ~CHtmlDocumentStubs() = default;

    QLMR_NOTIMPL_DISPATCH
    QLMR_NOTIMPL(get_Script, IDispatch**)
    QLMR_NOTIMPL(get_all, IHTMLElementCollection**) QLMR_NOTIMPL(get_body, IHTMLElement**)
    QLMR_NOTIMPL(get_activeElement, IHTMLElement**)
    QLMR_NOTIMPL(get_images, IHTMLElementCollection**)
    QLMR_NOTIMPL(get_applets, IHTMLElementCollection**)
    QLMR_NOTIMPL(get_links, IHTMLElementCollection**)
    QLMR_NOTIMPL(get_forms, IHTMLElementCollection**)
    QLMR_NOTIMPL(get_anchors, IHTMLElementCollection**)
    QLMR_NOTIMPL_PROP(title, BSTR) QLMR_NOTIMPL(get_scripts, IHTMLElementCollection**)
    QLMR_NOTIMPL_PROP(designMode, BSTR) QLMR_NOTIMPL(get_selection, IHTMLSelectionObject**)
    QLMR_NOTIMPL(get_readyState, BSTR*) QLMR_NOTIMPL(get_frames, IHTMLFramesCollection2**)
    QLMR_NOTIMPL(get_embeds, IHTMLElementCollection**)
    QLMR_NOTIMPL(get_plugins, IHTMLElementCollection**)
    QLMR_NOTIMPL_PROP(alinkColor, VARIANT) QLMR_NOTIMPL_PROP(bgColor, VARIANT)
    QLMR_NOTIMPL_PROP(fgColor, VARIANT) QLMR_NOTIMPL_PROP(linkColor, VARIANT)
    QLMR_NOTIMPL_PROP(vlinkColor, VARIANT)
    QLMR_NOTIMPL(get_referrer, BSTR*) QLMR_NOTIMPL(get_location, IHTMLLocation**)
    QLMR_NOTIMPL(get_lastModified, BSTR*)
    QLMR_NOTIMPL_PROP(URL, BSTR) QLMR_NOTIMPL_PROP(domain, BSTR) QLMR_NOTIMPL_PROP(cookie, BSTR)
    QLMR_NOTIMPL_PROP(expando, VARIANT_BOOL) QLMR_NOTIMPL_PROP(charset, BSTR)
    QLMR_NOTIMPL_PROP(defaultCharset, BSTR)
    QLMR_NOTIMPL(get_mimeType, BSTR*) QLMR_NOTIMPL(get_fileSize, BSTR*)
    QLMR_NOTIMPL(get_fileCreatedDate, BSTR*) QLMR_NOTIMPL(get_fileModifiedDate, BSTR*)
    QLMR_NOTIMPL(get_fileUpdatedDate, BSTR*) QLMR_NOTIMPL(get_security, BSTR*)
    QLMR_NOTIMPL(get_protocol, BSTR*) QLMR_NOTIMPL(get_nameProp, BSTR*)
    QLMR_NOTIMPL(write, SAFEARRAY*) QLMR_NOTIMPL(writeln, SAFEARRAY*)
    QLMR_NOTIMPL(open, BSTR, VARIANT, VARIANT, VARIANT, IDispatch**)
    QLMR_NOTIMPL(close) QLMR_NOTIMPL(clear)
    QLMR_NOTIMPL(queryCommandSupported, BSTR, VARIANT_BOOL*)
    QLMR_NOTIMPL(queryCommandEnabled, BSTR, VARIANT_BOOL*)
    QLMR_NOTIMPL(queryCommandState, BSTR, VARIANT_BOOL*)
    QLMR_NOTIMPL(queryCommandIndeterm, BSTR, VARIANT_BOOL*)
    QLMR_NOTIMPL(queryCommandText, BSTR, BSTR*) QLMR_NOTIMPL(queryCommandValue, BSTR, VARIANT*)
    QLMR_NOTIMPL(execCommand, BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL*)
    QLMR_NOTIMPL(execCommandShowHelp, BSTR, VARIANT_BOOL*)
    QLMR_NOTIMPL(createElement, BSTR, IHTMLElement**)
    QLMR_NOTIMPL_PROP(onhelp, VARIANT) QLMR_NOTIMPL_PROP(onclick, VARIANT)
    QLMR_NOTIMPL_PROP(ondblclick, VARIANT) QLMR_NOTIMPL_PROP(onkeyup, VARIANT)
    QLMR_NOTIMPL_PROP(onkeydown, VARIANT) QLMR_NOTIMPL_PROP(onkeypress, VARIANT)
    QLMR_NOTIMPL_PROP(onmouseup, VARIANT) QLMR_NOTIMPL_PROP(onmousedown, VARIANT)
    QLMR_NOTIMPL_PROP(onmousemove, VARIANT) QLMR_NOTIMPL_PROP(onmouseout, VARIANT)
    QLMR_NOTIMPL_PROP(onmouseover, VARIANT) QLMR_NOTIMPL_PROP(onreadystatechange, VARIANT)
    QLMR_NOTIMPL_PROP(onafterupdate, VARIANT) QLMR_NOTIMPL_PROP(onrowexit, VARIANT)
    QLMR_NOTIMPL_PROP(onrowenter, VARIANT) QLMR_NOTIMPL_PROP(ondragstart, VARIANT)
    QLMR_NOTIMPL_PROP(onselectstart, VARIANT)
    QLMR_NOTIMPL(elementFromPoint, LONG, LONG, IHTMLElement**)
    QLMR_NOTIMPL(get_parentWindow, IHTMLWindow2**)
    QLMR_NOTIMPL(get_styleSheets, IHTMLStyleSheetsCollection**)
    QLMR_NOTIMPL_PROP(onbeforeupdate, VARIANT) QLMR_NOTIMPL_PROP(onerrorupdate, VARIANT)
    QLMR_NOTIMPL(toString, BSTR*) QLMR_NOTIMPL(createStyleSheet, BSTR, LONG, IHTMLStyleSheet**)
};
// clang-format on
