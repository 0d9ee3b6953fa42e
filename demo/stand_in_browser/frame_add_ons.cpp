#include "demo/stand_in_browser/frame_add_ons.h"

#include <cwchar>

#include "demo/stand_in_browser/event_log.h"
#include "demo/stand_in_browser/stand_in_protocol.h"
#include "demo/support/registry_key.h"

namespace
{
const wchar_t kHelperObjectsKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
const wchar_t kExtensionsKey[] = L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";
// The browser's own handler of extensions that run a COM object.
const wchar_t kComExtensionHandler[] = L"{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}";

bool ParseClassId(const std::wstring& strText, CLSID& clsid)
{
    // CLSIDFromString also takes ProgIDs; only a class id in braces counts here.
    if (strText.size() != 38 || strText.front() != L'{')
        return false;
    return SUCCEEDED(CLSIDFromString(strText.c_str(), &clsid));
}

} // namespace

std::vector<CHelperEntry> ReadHelperObjects()
{
    std::vector<CHelperEntry> helpers;
    const CRegistryKey key(HKEY_LOCAL_MACHINE, kHelperObjectsKey);
    if (!key)
        return helpers;
    for (const std::wstring& strName : key.SubkeyNames())
    {
        CHelperEntry entry;
        entry.strKeyName = strName;
        if (!ParseClassId(strName, entry.clsid))
            entry.clsid = CLSID_NULL;
        helpers.push_back(entry);
    }
    return helpers;
}

std::vector<CToolExtension> ReadToolExtensions()
{
    std::vector<CToolExtension> extensions;
    const CRegistryKey key(HKEY_LOCAL_MACHINE, kExtensionsKey);
    if (!key)
        return extensions;
    CLSID handler = CLSID_NULL;
    ParseClassId(kComExtensionHandler, handler);
    for (const std::wstring& strName : key.SubkeyNames())
    {
        CLSID clsidHandler = CLSID_NULL;
        CToolExtension extension;
        extension.strMenuText = key.Text(strName, L"MenuText");
        // Buttons without a menu item, and script or program extensions, are not ours to run.
        if (!ParseClassId(key.Text(strName, L"CLSID"), clsidHandler) || clsidHandler != handler ||
            extension.strMenuText.empty() ||
            !ParseClassId(key.Text(strName, L"ClsIDExtension"), extension.clsid))
            continue;
        extensions.push_back(extension);
    }
    return extensions;
}

std::wstring ClassIdText(const CLSID& clsid)
{
    wchar_t szText[40] = L"";
    StringFromGUID2(clsid, szText, ARRAYSIZE(szText));
    return szText;
}

std::wstring ResultText(HRESULT hr)
{
    wchar_t szText[16] = L"";
    std::swprintf(szText, ARRAYSIZE(szText), L"0x%08lX", static_cast<unsigned long>(hr));
    return szText;
}

CFrameAddOns::CFrameAddOns(CEventLog& log, int nWindow) : m_log(log), m_nWindow(nWindow)
{
}

CFrameAddOns::~CFrameAddOns()
{
    ReleaseAll();
}

HMENU CFrameAddOns::CreateMenuBar()
{
    m_tools.clear();
    for (const CToolExtension& extension : ReadToolExtensions())
        m_tools.push_back({extension, {}, {}});

    HMENU hTools = CreatePopupMenu();
    for (size_t i = 0; i < m_tools.size(); ++i)
        AppendMenuW(hTools, MF_STRING, kFirstToolCommand + i,
                    m_tools[i].extension.strMenuText.c_str());
    HMENU hBar = CreateMenu();
    AppendMenuW(hBar, MF_POPUP, reinterpret_cast<UINT_PTR>(hTools), L"&Tools");
    return hBar;
}

void CFrameAddOns::LogTools() const
{
    for (size_t i = 0; i < m_tools.size(); ++i)
        m_log.Write({standin::kLogTool, std::to_wstring(m_nWindow),
                     std::to_wstring(kFirstToolCommand + i), m_tools[i].extension.strMenuText});
}

bool CFrameAddOns::FindTool(const std::wstring& strMenuText, UINT& nCommand) const
{
    for (size_t i = 0; i < m_tools.size(); ++i)
    {
        if (m_tools[i].extension.strMenuText == strMenuText)
        {
            nCommand = kFirstToolCommand + static_cast<UINT>(i);
            return true;
        }
    }
    return false;
}

void CFrameAddOns::LoadHelpers(IUnknown* pSite)
{
    for (const CHelperEntry& entry : ReadHelperObjects())
    {
        if (entry.clsid == CLSID_NULL)
        {
            m_log.Write({standin::kLogHelper, std::to_wstring(m_nWindow), entry.strKeyName,
                         standin::kFailed, ResultText(CO_E_CLASSSTRING)});
            continue;
        }
        CLoaded helper{entry.clsid, {}};
        HRESULT hr = CoCreateInstance(entry.clsid, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IObjectWithSite, helper.spSite.OutVoid());
        if (SUCCEEDED(hr) && !helper.spSite)
            hr = E_NOINTERFACE;
        if (SUCCEEDED(hr))
            hr = pSite ? helper.spSite->SetSite(pSite) : E_NOINTERFACE;
        if (FAILED(hr))
        {
            // Whatever it kept of a site it refused goes with it.
            if (helper.spSite)
                helper.spSite->SetSite(nullptr);
            Write(standin::kLogHelper, entry.clsid, standin::kFailed, ResultText(hr));
            continue;
        }
        Write(standin::kLogHelper, entry.clsid, standin::kLoaded);
        m_helpers.push_back(std::move(helper));
    }
}

HRESULT CFrameAddOns::MakeCommandObject(CTool& tool, IUnknown* pSite)
{
    CComRef<IUnknown> spObject;
    HRESULT hr = CoCreateInstance(tool.extension.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  spObject.OutVoid());
    if (FAILED(hr))
        return hr;
    if (!spObject)
        return E_NOINTERFACE;
    hr = spObject->QueryInterface(IID_IOleCommandTarget, tool.spTarget.OutVoid());
    if (FAILED(hr))
        return hr;
    // An object that takes no site is run without one.
    if (FAILED(spObject->QueryInterface(IID_IObjectWithSite, tool.spSite.OutVoid())))
        return S_OK;
    hr = pSite ? tool.spSite->SetSite(pSite) : E_NOINTERFACE;
    if (FAILED(hr))
        tool.spSite->SetSite(nullptr);
    return hr;
}

bool CFrameAddOns::OnCommand(UINT nCommand, IUnknown* pSite)
{
    if (nCommand < kFirstToolCommand || nCommand - kFirstToolCommand >= m_tools.size())
        return false;
    CTool& tool = m_tools[nCommand - kFirstToolCommand];
    const CLSID clsid = tool.extension.clsid;
    if (!tool.spTarget)
    {
        const HRESULT hr = MakeCommandObject(tool, pSite);
        if (FAILED(hr))
        {
            tool.spTarget.Release();
            tool.spSite.Release();
            Write(standin::kLogCommand, clsid, standin::kFailed, ResultText(hr));
            return true;
        }
    }
    // Exec runs the add-on's own window loop; the window may close, and let go of the object,
    // before it returns.
    CComRef<IOleCommandTarget> spTarget(tool.spTarget.Get());
    Write(standin::kLogCommand, clsid, standin::kExec);
    const HRESULT hr = spTarget->Exec(nullptr, 0, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
    Write(standin::kLogCommand, clsid, standin::kDone, ResultText(hr));
    return true;
}

void CFrameAddOns::ReleaseAll()
{
    // Taken out of the members first: an add-on may call back into the window as it goes.
    std::vector<CLoaded> helpers = std::move(m_helpers);
    m_helpers.clear();
    for (CLoaded& helper : helpers)
    {
        helper.spSite->SetSite(nullptr);
        helper.spSite.Release();
        Write(standin::kLogHelper, helper.clsid, standin::kReleased);
    }
    for (CTool& tool : m_tools)
    {
        if (!tool.spTarget)
            continue;
        if (tool.spSite)
            tool.spSite->SetSite(nullptr);
        tool.spSite.Release();
        tool.spTarget.Release();
        Write(standin::kLogCommand, tool.extension.clsid, standin::kReleased);
    }
}

void CFrameAddOns::Write(const wchar_t* pszKind, const CLSID& clsid, const std::wstring& strWhat,
                         const std::wstring& strDetail) const
{
    if (strDetail.empty())
        m_log.Write({pszKind, std::to_wstring(m_nWindow), ClassIdText(clsid), strWhat});
    else
        m_log.Write({pszKind, std::to_wstring(m_nWindow), ClassIdText(clsid), strWhat, strDetail});
}
