#include "controls/tree_child_accessible.h"

#include <algorithm>
#include <new>
#include <utility>

#include "controls/custom_tree_child_ctrl.h"
#include "win/com.h"

namespace
{
HRESULT ReturnText(const std::wstring& strText, BSTR* pbstr)
{
    if (strText.empty())
        return S_FALSE;
    *pbstr = ::SysAllocStringLen(strText.data(), static_cast<UINT>(strText.size()));
    return *pbstr ? S_OK : E_OUTOFMEMORY;
}

// Out parameters as the methods clear them before anything else.
void ClearOut(BSTR* pbstr)
{
    *pbstr = nullptr;
}

void ClearOut(IDispatch** ppDispatch)
{
    *ppDispatch = nullptr;
}

void ClearOut(VARIANT* pvar)
{
    ::VariantInit(pvar);
}

void SetChildId(VARIANT* pvar, LONG nChildId)
{
    pvar->vt = VT_I4;
    pvar->lVal = nChildId;
}

bool IsLabel(HWND hWnd)
{
    return (::SendMessageW(hWnd, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) != 0;
}

int ItemLevel(const CCustomTreeChildCtrl& tree, HTREEITEM hItem)
{
    int nLevel = 0;
    for (HTREEITEM hParent = tree.GetParentItem(hItem); hParent; hParent = tree.GetParentItem(hParent))
        ++nLevel;
    return nLevel;
}
}  // namespace

DWORD AccessibleCheckState(int nCheckValue)
{
    switch (nCheckValue)
    {
    case kCheckTicked:
        return STATE_SYSTEM_CHECKED;
    case kCheckPartly:
        return STATE_SYSTEM_MIXED;
    default:
        return 0;
    }
}

std::wstring AccessibleLabelText(HWND hWnd)
{
    for (HWND hPrev = hWnd ? ::GetWindow(hWnd, GW_HWNDPREV) : nullptr; hPrev; hPrev = ::GetWindow(hPrev, GW_HWNDPREV))
    {
        if (IsLabel(hPrev))
        {
            const int nLength = ::GetWindowTextLengthW(hPrev);
            std::wstring strText(static_cast<std::size_t>(nLength) + 1, L'\0');
            strText.resize(static_cast<std::size_t>(std::max(0, ::GetWindowTextW(hPrev, &strText[0], nLength + 1))));
            // "&&" is a plain ampersand; a single one marks the mnemonic.
            std::wstring strName;
            for (std::size_t i = 0; i < strText.size(); ++i)
            {
                if (strText[i] == L'&' && ++i == strText.size())
                    break;
                strName += strText[i];
            }
            while (!strName.empty() && (strName.back() == L':' || strName.back() == L' '))
                strName.pop_back();
            return strName;
        }
        const LONG_PTR nStyle = ::GetWindowLongPtrW(hPrev, GWL_STYLE);
        if ((nStyle & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP))
            break;
    }
    return std::wstring();
}

CTreeChildAccessible* CTreeChildAccessible::Create(HWND hWnd)
{
    const HMODULE hOleacc = ::LoadLibraryW(L"oleacc.dll");
    if (!hOleacc)
        return nullptr;
    CTreeChildAccessible* pObject = new (std::nothrow) CTreeChildAccessible(hWnd, hOleacc);
    if (!pObject)
        ::FreeLibrary(hOleacc);
    return pObject;
}

CTreeChildAccessible::CTreeChildAccessible(HWND hWnd, HMODULE hOleacc) : m_hWnd(hWnd), m_hOleacc(hOleacc) {}

CTreeChildAccessible::~CTreeChildAccessible()
{
    if (m_pStandard)
        m_pStandard->Release();
    ::FreeLibrary(m_hOleacc);
}

LRESULT CTreeChildAccessible::AnswerGetObject(WPARAM wParam)
{
    using PfnLresultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    const auto pfnLresultFromObject = reinterpret_cast<PfnLresultFromObject>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_hOleacc, "LresultFromObject")));
    if (!pfnLresultFromObject)
        return 0;
    return pfnLresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this));
}

CCustomTreeChildCtrl* CTreeChildAccessible::Tree() const
{
    // The window's object is unbound when the window goes, before its handle can name another.
    return dynamic_cast<CCustomTreeChildCtrl*>(CWnd::FromHandlePermanent(m_hWnd));
}

IAccessible* CTreeChildAccessible::StandardObject()
{
    if (m_pStandard || !Tree())
        return m_pStandard;
    using PfnCreateStdAccessibleObject = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    const auto pfnCreate = reinterpret_cast<PfnCreateStdAccessibleObject>(
        reinterpret_cast<void (*)()>(::GetProcAddress(m_hOleacc, "CreateStdAccessibleObject")));
    if (pfnCreate)
        pfnCreate(m_hWnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&m_pStandard));
    return m_pStandard;
}

std::vector<HTREEITEM> CTreeChildAccessible::ShowingItems() const
{
    std::vector<HTREEITEM> items;
    if (const CCustomTreeChildCtrl* pTree = Tree())
    {
        for (HTREEITEM hItem = pTree->GetRootItem(); hItem; hItem = pTree->GetNextVisibleItem(hItem))
            items.push_back(hItem);
    }
    return items;
}

LONG CTreeChildAccessible::ChildIdOf(HTREEITEM hItem) const
{
    const CCustomTreeChildCtrl* pTree = Tree();
    if (!pTree || !hItem)
        return 0;
    if (const LRESULT nId = pTree->SendMessage(TVM_MAPHTREEITEMTOACCID, reinterpret_cast<WPARAM>(hItem)))
        return static_cast<LONG>(nId);
    const std::vector<HTREEITEM> items = ShowingItems();
    const auto found = std::find(items.begin(), items.end(), hItem);
    return found == items.end() ? 0 : static_cast<LONG>(found - items.begin()) + 1;
}

HTREEITEM CTreeChildAccessible::ItemOf(LONG nChildId) const
{
    const CCustomTreeChildCtrl* pTree = Tree();
    if (!pTree || nChildId <= 0)
        return nullptr;
    const HTREEITEM hRoot = pTree->GetRootItem();
    if (hRoot && pTree->SendMessage(TVM_MAPHTREEITEMTOACCID, reinterpret_cast<WPARAM>(hRoot)))
        return reinterpret_cast<HTREEITEM>(pTree->SendMessage(TVM_MAPACCIDTOHTREEITEM, static_cast<WPARAM>(nChildId)));
    const std::vector<HTREEITEM> items = ShowingItems();
    return static_cast<std::size_t>(nChildId) <= items.size() ? items[static_cast<std::size_t>(nChildId) - 1] : nullptr;
}

HRESULT CTreeChildAccessible::ResolveChild(const VARIANT& varChild, CCustomTreeChildCtrl** ppTree,
                                           HTREEITEM* phItem) const
{
    *phItem = nullptr;
    *ppTree = Tree();
    if (!*ppTree)
        return RPC_E_DISCONNECTED;
    if (varChild.vt != VT_I4)
        return E_INVALIDARG;
    if (varChild.lVal == CHILDID_SELF)
        return S_OK;
    *phItem = ItemOf(varChild.lVal);
    return *phItem ? S_OK : E_INVALIDARG;
}

template <typename TFn>
HRESULT CTreeChildAccessible::ForChild(const VARIANT& varChild, TFn&& fn) const
{
    return CallWithoutThrowing([&]() -> HRESULT {
        CCustomTreeChildCtrl* pTree = nullptr;
        HTREEITEM hItem = nullptr;
        const HRESULT hr = ResolveChild(varChild, &pTree, &hItem);
        return FAILED(hr) ? hr : fn(*pTree, hItem);
    });
}

template <typename TOut, typename TFn>
HRESULT CTreeChildAccessible::ForChild(const VARIANT& varChild, TOut* pOut, TFn&& fn) const
{
    if (!pOut)
        return E_POINTER;
    ClearOut(pOut);
    return ForChild(varChild, std::forward<TFn>(fn));
}

template <typename TFn>
HRESULT CTreeChildAccessible::ForTree(VARIANT* pOut, TFn&& fn) const
{
    if (!pOut)
        return E_POINTER;
    ClearOut(pOut);
    return CallWithoutThrowing([&]() -> HRESULT {
        const CCustomTreeChildCtrl* pTree = Tree();
        return pTree ? fn(*pTree) : RPC_E_DISCONNECTED;
    });
}

// --- IUnknown and IDispatch -------------------------------------------------------------------

// The interface methods run through CallWithoutThrowing: reading the tree allocates, and no
// exception may reach the client, which is another process's code.
STDMETHODIMP CTreeChildAccessible::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible))
        *ppv = static_cast<IAccessible*>(this);
    else if (riid == __uuidof(IEnumVARIANT))
        *ppv = static_cast<IEnumVARIANT*>(this);
    else
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CTreeChildAccessible::AddRef()
{
    return ++m_nRefs;
}

STDMETHODIMP_(ULONG) CTreeChildAccessible::Release()
{
    const ULONG nRefs = --m_nRefs;
    if (nRefs == 0)
        delete this;
    return nRefs;
}

STDMETHODIMP CTreeChildAccessible::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP CTreeChildAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (ppTInfo)
            *ppTInfo = nullptr;
        return E_NOTIMPL;
    });
}

STDMETHODIMP CTreeChildAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        return E_NOTIMPL;
    });
}

STDMETHODIMP CTreeChildAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        return E_NOTIMPL;
    });
}

// --- IAccessible ------------------------------------------------------------------------------

STDMETHODIMP CTreeChildAccessible::get_accParent(IDispatch** ppdispParent)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (!ppdispParent)
            return E_POINTER;
        *ppdispParent = nullptr;
        IAccessible* pStandard = StandardObject();
        return pStandard ? pStandard->get_accParent(ppdispParent) : RPC_E_DISCONNECTED;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accChildCount(long* pcountChildren)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (!pcountChildren)
            return E_POINTER;
        if (!Tree())
            return RPC_E_DISCONNECTED;
        *pcountChildren = static_cast<long>(ShowingItems().size());
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accChild(VARIANT varChild, IDispatch** ppdispChild)
{
    return ForChild(varChild, ppdispChild, [](CCustomTreeChildCtrl&, HTREEITEM hItem) -> HRESULT {
        // The items are simple elements, answered for by this object.
        return hItem ? S_FALSE : E_INVALIDARG;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accName(VARIANT varChild, BSTR* pszName)
{
    return ForChild(varChild, pszName, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        if (hItem)
            return ReturnText(GetTabField(tree.GetFullItemText(hItem), 0), pszName);
        // Inside a column tree the label names the column tree, which the tree fills.
        const ITreeChildOwner* pOwner = tree.GetTreeOwner();
        return ReturnText(AccessibleLabelText(pOwner ? pOwner->GetOwnerWindow() : tree.m_hWnd), pszName);
    });
}

STDMETHODIMP CTreeChildAccessible::get_accValue(VARIANT varChild, BSTR* pszValue)
{
    return ForChild(varChild, pszValue, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        // An outline item's value is its level, as the system's tree views give it.
        return hItem ? ReturnText(std::to_wstring(ItemLevel(tree, hItem)), pszValue) : S_FALSE;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accDescription(VARIANT varChild, BSTR* pszDescription)
{
    return ForChild(varChild, pszDescription, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        if (!hItem)
            return S_FALSE;
        // The texts of the other columns, which a reader would otherwise never hear.
        const std::wstring strText = tree.GetFullItemText(hItem);
        std::wstring strDescription;
        std::wstring strField;
        for (int nColumn = 1; ExtractTabField(strText, nColumn, strField); ++nColumn)
        {
            if (strField.empty())
                continue;
            if (!strDescription.empty())
                strDescription += L", ";
            strDescription += strField;
        }
        return ReturnText(strDescription, pszDescription);
    });
}

STDMETHODIMP CTreeChildAccessible::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
    return ForChild(varChild, pvarRole, [&](CCustomTreeChildCtrl&, HTREEITEM hItem) -> HRESULT {
        SetChildId(pvarRole, hItem ? ROLE_SYSTEM_OUTLINEITEM : ROLE_SYSTEM_OUTLINE);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accState(VARIANT varChild, VARIANT* pvarState)
{
    return ForChild(varChild, pvarState, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        if (!hItem)
        {
            IAccessible* pStandard = StandardObject();
            return pStandard ? pStandard->get_accState(varChild, pvarState) : RPC_E_DISCONNECTED;
        }

        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_CHILDREN;
        item.hItem = hItem;
        item.stateMask = static_cast<UINT>(-1);
        tree.GetItem(&item);
        DWORD dwState = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (item.state & TVIS_SELECTED)
        {
            dwState |= STATE_SYSTEM_SELECTED;
            if (::GetFocus() == tree.m_hWnd)
                dwState |= STATE_SYSTEM_FOCUSED;
        }
        if (item.cChildren)
            dwState |= (item.state & TVIS_EXPANDED) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
        if (!tree.IsWindowEnabled())
            dwState |= STATE_SYSTEM_UNAVAILABLE;
        if (tree.GetStyle() & TVS_CHECKBOXES)
            dwState |= AccessibleCheckState(tree.GetCheckState(hItem));
        SetChildId(pvarState, static_cast<LONG>(dwState));
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accHelp(VARIANT varChild, BSTR* pszHelp)
{
    return ForChild(varChild, pszHelp, [](CCustomTreeChildCtrl&, HTREEITEM) -> HRESULT { return S_FALSE; });
}

STDMETHODIMP CTreeChildAccessible::get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic)
{
    if (!pszHelpFile || !pidTopic)
        return E_POINTER;
    *pidTopic = 0;
    return ForChild(varChild, pszHelpFile, [](CCustomTreeChildCtrl&, HTREEITEM) -> HRESULT { return S_FALSE; });
}

STDMETHODIMP CTreeChildAccessible::get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut)
{
    return ForChild(varChild, pszKeyboardShortcut, [&](CCustomTreeChildCtrl&, HTREEITEM hItem) -> HRESULT {
        if (hItem)
            return S_FALSE;
        IAccessible* pStandard = StandardObject();
        return pStandard ? pStandard->get_accKeyboardShortcut(varChild, pszKeyboardShortcut) : S_FALSE;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accFocus(VARIANT* pvarChild)
{
    return ForTree(pvarChild, [&](const CCustomTreeChildCtrl& tree) -> HRESULT {
        if (::GetFocus() != m_hWnd)
            return S_FALSE;
        const LONG nId = ChildIdOf(tree.GetSelectedItem());
        SetChildId(pvarChild, nId ? nId : CHILDID_SELF);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accSelection(VARIANT* pvarChildren)
{
    return ForTree(pvarChildren, [&](const CCustomTreeChildCtrl& tree) -> HRESULT {
        const LONG nId = ChildIdOf(tree.GetSelectedItem());
        if (!nId)
            return S_FALSE;
        SetChildId(pvarChildren, nId);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction)
{
    return ForChild(varChild, pszDefaultAction,
                    [](CCustomTreeChildCtrl&, HTREEITEM) -> HRESULT { return DISP_E_MEMBERNOTFOUND; });
}

STDMETHODIMP CTreeChildAccessible::accSelect(long flagsSelect, VARIANT varChild)
{
    return ForChild(varChild, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        if (flagsSelect & SELFLAG_TAKEFOCUS)
            tree.SetFocus();
        if (hItem && (flagsSelect & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)))
            tree.SelectItem(hItem);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                               VARIANT varChild)
{
    if (!pxLeft || !pyTop || !pcxWidth || !pcyHeight)
        return E_POINTER;
    *pxLeft = *pyTop = *pcxWidth = *pcyHeight = 0;
    return ForChild(varChild, [&](CCustomTreeChildCtrl& tree, HTREEITEM hItem) -> HRESULT {
        RECT rect{};
        if (hItem)
        {
            if (!tree.GetItemRect(hItem, &rect, FALSE))
                return S_FALSE;
        }
        else
        {
            tree.GetClientRect(&rect);
        }
        tree.ClientToScreen(&rect);
        *pxLeft = rect.left;
        *pyTop = rect.top;
        *pcxWidth = RectWidth(rect);
        *pcyHeight = RectHeight(rect);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt)
{
    return ForChild(varStart, pvarEndUpAt, [&](CCustomTreeChildCtrl& tree, HTREEITEM hStart) -> HRESULT {
        if (!hStart)
        {
            if (navDir != NAVDIR_FIRSTCHILD && navDir != NAVDIR_LASTCHILD)
            {
                IAccessible* pStandard = StandardObject();
                return pStandard ? pStandard->accNavigate(navDir, varStart, pvarEndUpAt) : S_FALSE;
            }
            const std::vector<HTREEITEM> items = ShowingItems();
            if (items.empty())
                return S_FALSE;
            SetChildId(pvarEndUpAt, ChildIdOf(navDir == NAVDIR_FIRSTCHILD ? items.front() : items.back()));
            return S_OK;
        }

        HTREEITEM hEnd = nullptr;
        if (navDir == NAVDIR_NEXT || navDir == NAVDIR_DOWN)
            hEnd = tree.GetNextVisibleItem(hStart);
        else if (navDir == NAVDIR_PREVIOUS || navDir == NAVDIR_UP)
            hEnd = tree.GetNextItem(hStart, TVGN_PREVIOUSVISIBLE);
        const LONG nId = ChildIdOf(hEnd);
        if (!nId)
            return S_FALSE;
        SetChildId(pvarEndUpAt, nId);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::accHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    return ForTree(pvarChild, [&](const CCustomTreeChildCtrl& tree) -> HRESULT {
        POINT pt{xLeft, yTop};
        tree.ScreenToClient(&pt);
        RECT rcClient{};
        tree.GetClientRect(&rcClient);
        if (!::PtInRect(&rcClient, pt))
            return S_FALSE;
        TVHITTESTINFO hit{};
        hit.pt = pt;
        const LONG nId = ChildIdOf(tree.HitTest(&hit));
        SetChildId(pvarChild, nId ? nId : CHILDID_SELF);
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::accDoDefaultAction(VARIANT varChild)
{
    return ForChild(varChild, [](CCustomTreeChildCtrl&, HTREEITEM) -> HRESULT { return DISP_E_MEMBERNOTFOUND; });
}

STDMETHODIMP CTreeChildAccessible::put_accName(VARIANT, BSTR)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        return E_NOTIMPL;
    });
}

STDMETHODIMP CTreeChildAccessible::put_accValue(VARIANT, BSTR)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        return E_NOTIMPL;
    });
}

// --- IEnumVARIANT -----------------------------------------------------------------------------

STDMETHODIMP CTreeChildAccessible::Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (pCeltFetched)
            *pCeltFetched = 0;
        if (!rgVar)
            return E_POINTER;
        if (!Tree())
            return RPC_E_DISCONNECTED;
        const std::vector<HTREEITEM> items = ShowingItems();
        ULONG nFetched = 0;
        for (; nFetched < celt && m_nEnumPosition < items.size(); ++nFetched, ++m_nEnumPosition)
        {
            ::VariantInit(&rgVar[nFetched]);
            SetChildId(&rgVar[nFetched], ChildIdOf(items[m_nEnumPosition]));
        }
        if (pCeltFetched)
            *pCeltFetched = nFetched;
        return nFetched == celt ? S_OK : S_FALSE;
    });
}

STDMETHODIMP CTreeChildAccessible::Skip(ULONG celt)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (!Tree())
            return RPC_E_DISCONNECTED;
        const std::size_t nCount = ShowingItems().size();
        m_nEnumPosition += celt;
        if (m_nEnumPosition <= nCount)
            return S_OK;
        m_nEnumPosition = static_cast<ULONG>(nCount);
        return S_FALSE;
    });
}

STDMETHODIMP CTreeChildAccessible::Reset()
{
    return CallWithoutThrowing([&]() -> HRESULT {
        m_nEnumPosition = 0;
        return S_OK;
    });
}

STDMETHODIMP CTreeChildAccessible::Clone(IEnumVARIANT** ppEnum)
{
    return CallWithoutThrowing([&]() -> HRESULT {
        if (!ppEnum)
            return E_POINTER;
        *ppEnum = nullptr;
        if (!Tree())
            return RPC_E_DISCONNECTED;
        CTreeChildAccessible* pClone = Create(m_hWnd);
        if (!pClone)
            return E_OUTOFMEMORY;
        pClone->m_nEnumPosition = m_nEnumPosition;
        *ppEnum = static_cast<IEnumVARIANT*>(pClone);
        return S_OK;
    });
}
