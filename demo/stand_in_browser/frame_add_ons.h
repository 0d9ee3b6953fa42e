// The add-ons of one frame window, found in the registry as the browser finds them:
//  - every class id under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper
//    Objects is a helper object, made and sited when the window opens, unsited and released when
//    it closes;
//  - every key under HKLM\SOFTWARE\Microsoft\Internet Explorer\Extensions whose
//    "CLSID" names the handler of COM-object extensions and that has a "MenuText" is an item of
//    the Tools menu. Picking it makes an object of its "ClsIDExtension" class (the first time;
//    the window keeps it until it closes), sites it and calls IOleCommandTarget::Exec.
// Everything is written to the stand-in's log (see stand_in_protocol.h).
#pragma once

#include <windows.h>
#include <docobj.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "demo/stand_in_browser/com_ref.h"

class CEventLog;

struct CToolExtension
{
    std::wstring strMenuText;
    CLSID clsid = CLSID_NULL;
};

// What the registry holds now. Helper keys that are no class id come back as CLSID_NULL with
// their name, so that the log can say why they were not loaded.
struct CHelperEntry
{
    std::wstring strKeyName;
    CLSID clsid = CLSID_NULL;
};
std::vector<CHelperEntry> ReadHelperObjects();
std::vector<CToolExtension> ReadToolExtensions();

std::wstring ClassIdText(const CLSID& clsid);
std::wstring ResultText(HRESULT hr);

class CFrameAddOns
{
public:
    // The command ids of the Tools menu items, in the order of the extensions.
    static constexpr UINT kFirstToolCommand = 0x7000;

    CFrameAddOns(CEventLog& log, int nWindow);
    ~CFrameAddOns();
    CFrameAddOns(const CFrameAddOns&) = delete;
    CFrameAddOns& operator=(const CFrameAddOns&) = delete;

    // The window's menu bar with its Tools menu, from the extensions registered now; the window
    // that gets it destroys it. LogTools writes its items once the window is logged.
    HMENU CreateMenuBar();
    void LogTools() const;
    // The command id of the item with exactly this text; false when there is none.
    bool FindTool(const std::wstring& strMenuText, UINT& nCommand) const;

    // Makes and sites every registered helper object. pSite is the window's browser object.
    void LoadHelpers(IUnknown* pSite);
    // Runs a Tools item; false when nCommand is none of them. pSite: the browser of the tab in
    // which it was picked.
    bool OnCommand(UINT nCommand, IUnknown* pSite);
    // Unsites and releases every helper and command object: the window is closing.
    void ReleaseAll();

private:
    struct CLoaded
    {
        CLSID clsid;
        CComRef<IObjectWithSite> spSite;
    };
    struct CTool
    {
        CToolExtension extension;
        CComRef<IOleCommandTarget> spTarget; // made at the first pick
        CComRef<IObjectWithSite> spSite;     // when the object takes a site
    };

    void Write(const wchar_t* pszKind, const CLSID& clsid, const std::wstring& strWhat,
               const std::wstring& strDetail = std::wstring()) const;
    HRESULT MakeCommandObject(CTool& tool, IUnknown* pSite);

    CEventLog& m_log;
    const int m_nWindow;
    std::vector<CLoaded> m_helpers;
    std::vector<CTool> m_tools;
};
