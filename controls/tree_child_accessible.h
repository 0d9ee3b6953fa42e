// What screen readers and other accessibility clients learn of a column tree's tree child, served
// through WM_GETOBJECT in place of the system's tree view object: an outline whose items are the
// nodes in the order they show (the children of an expanded node after it), each named by its
// first column, described by the others, valued by its level, and ticked in the system's terms.
// The tree's tick images read the other way round from the system's tick-box convention (image 1
// is ticked here, clear there), so the system's object would report every tick backwards.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <string>
#include <vector>

class CCustomTreeChildCtrl;

// The accessible check state of a check value (ECheckValue): checked, mixed, or neither.
DWORD AccessibleCheckState(int nCheckValue);

// The name the system's accessibility gives a control from its label: the text of the nearest
// static control before it in the window order (the reverse tab order), looked for until a
// control that starts a group and is a tab stop; its mnemonic marker and a closing colon left
// out. A label may be hidden. Empty when there is none.
std::wstring AccessibleLabelText(HWND hWnd);

class CTreeChildAccessible final : public IAccessible, public IEnumVARIANT
{
public:
    // A new object (one reference) for the tree child's window, or null when the accessibility
    // library cannot be loaded. It reaches the tree through the window, so once the window is
    // gone every call fails as disconnected.
    static CTreeChildAccessible* Create(HWND hWnd);
    // The answer to WM_GETOBJECT for the client area: this object, for the client to take.
    LRESULT AnswerGetObject(WPARAM wParam);

    // The id clients know the item by: the tree view's own id for it where the tree view has ids
    // (the system's common controls 6 have, and announce focus and selection with them);
    // otherwise its place among the showing items, from 1. 0 for no item.
    LONG ChildIdOf(HTREEITEM hItem) const;
    HTREEITEM ItemOf(LONG nChildId) const;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: clients use the interface's methods directly.
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** ppdispParent) override;
    STDMETHODIMP get_accChildCount(long* pcountChildren) override;
    STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    STDMETHODIMP get_accName(VARIANT varChild, BSTR* pszName) override;
    STDMETHODIMP get_accValue(VARIANT varChild, BSTR* pszValue) override;
    STDMETHODIMP get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
    STDMETHODIMP get_accHelp(VARIANT varChild, BSTR* pszHelp) override;
    STDMETHODIMP get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* pvarChild) override;
    STDMETHODIMP get_accSelection(VARIANT* pvarChildren) override;
    STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    STDMETHODIMP accSelect(long flagsSelect, VARIANT varChild) override;
    STDMETHODIMP accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild) override;
    STDMETHODIMP accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    STDMETHODIMP accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;
    STDMETHODIMP put_accName(VARIANT varChild, BSTR szName) override;
    STDMETHODIMP put_accValue(VARIANT varChild, BSTR szValue) override;

    // IEnumVARIANT: the items' child ids, in the order they show.
    STDMETHODIMP Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override;
    STDMETHODIMP Skip(ULONG celt) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** ppEnum) override;

private:
    CTreeChildAccessible(HWND hWnd, HMODULE hOleacc);
    ~CTreeChildAccessible();
    CTreeChildAccessible(const CTreeChildAccessible&) = delete;
    CTreeChildAccessible& operator=(const CTreeChildAccessible&) = delete;

    // The tree bound to the window, null once it is gone.
    CCustomTreeChildCtrl* Tree() const;
    // The items in the order they show: every root, each followed by its children when expanded.
    std::vector<HTREEITEM> ShowingItems() const;
    // The tree, and the item a child id names (null for the tree itself); E_INVALIDARG for an id
    // that names nothing, RPC_E_DISCONNECTED once the window is gone.
    HRESULT ResolveChild(const VARIANT& varChild, CCustomTreeChildCtrl** ppTree, HTREEITEM* phItem) const;
    // The body of a method about the child a child id names, run so that no exception leaves it:
    // E_POINTER for a null out parameter, which is cleared otherwise; fn(tree, item) once the id
    // is resolved, else the failure of ResolveChild.
    template <typename TFn>
    HRESULT ForChild(const VARIANT& varChild, TFn&& fn) const;
    template <typename TOut, typename TFn>
    HRESULT ForChild(const VARIANT& varChild, TOut* pOut, TFn&& fn) const;
    // The same for a method about the tree as a whole: fn(tree), or RPC_E_DISCONNECTED.
    template <typename TFn>
    HRESULT ForTree(VARIANT* pOut, TFn&& fn) const;
    // The system's object for the tree's window, which answers for the tree itself where this one
    // has nothing of its own to say (its parent, place, state and keyboard shortcut).
    IAccessible* StandardObject();

    ULONG m_nRefs = 1;
    const HWND m_hWnd;
    // The accessibility library, loaded only once a client asks (the add-on loads it for its own
    // use and frees it again), and held as long as this object lives.
    const HMODULE m_hOleacc;
    IAccessible* m_pStandard = nullptr;
    ULONG m_nEnumPosition = 0;
};
