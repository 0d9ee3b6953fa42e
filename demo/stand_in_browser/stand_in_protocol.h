// What the stand-in browser and the programs that drive it agree on: its command line, the lines
// of its log, and the message that hands out a tab's browser object.
//
// Command line:   iexplore.exe [-log FILE] [-fail URL]... [-Embedding] [-owner PID]
//                              [-tool TEXT] [ITEM]...
//   ITEM          "-window" starts another frame window (the first needs none); anything else is a
//                 tab of the current window, written URL|TITLE|MODES (TITLE and MODES may be left
//                 out; a tab without TITLE is a page without a title).
//   MODES         comma-separated:
//                   hang     the tab never answers for its document (its own thread blocks)
//                   refuse   the tab answers that it has no document
//                   notitle  the document's title cannot be read
//                   remote   the tab's window belongs to a second process, as with real tab
//                   processes
//   -fail URL     a Navigate to exactly this URL fails with E_FAIL.
//   -Embedding    also serves the browser application object: every object made is a new, hidden
//                 window with one empty tab, as the browser makes for automation.
//   -owner PID    ends, in order, when that process ends (a test that died, say).
//   -tool TEXT    picks the Tools-menu item of window 1 whose text is exactly TEXT
//                 ("&Quillmere...") once everything is ready; without such an item the process
//                 ends at once with code 8 (kExitNoSuchTool).
//   WM_QUIT posted to the main thread ends it in order too. Ending in order matters with
//   -Embedding: a class object left registered by a killed process makes every later attempt to
//   create a browser fail with RPC_S_SERVER_UNAVAILABLE until the Wine server restarts.
//   Add-ons come from the registry as the browser reads it: every frame window, also one made
//   through COM, loads each class under the key "HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion
//   \Explorer\Browser Helper Objects" and sites it with its browser object (the first tab's),
//   and lists in its Tools menu each key under "HKLM\SOFTWARE\Microsoft\Internet Explorer
//   \Extensions" whose "CLSID" is {1FBA04EE-3024-11D2-8F1F-0000F87ABD16} and which has a
//   "MenuText" and a "ClsIDExtension". Picking an item makes the extension's class (once; the
//   window keeps the object), sites it with the browser object of the selected tab and calls
//   IOleCommandTarget::Exec(NULL, 0, OLECMDEXECOPT_DODEFAULT, NULL, NULL) on the window's thread.
//   Closing the window unsites and releases its helpers and command objects. A browser object
//   offers IServiceProvider (SID_SWebBrowserApp), IOleCommandTarget (no commands of its own) and a
//   DWebBrowserEvents2 connection point; it fires DocumentComplete for the first page of each tab
//   once the helpers are in, and after every navigation, and OnQuit when its window closes.
//   A window given no tab shows the start page ("Start Page" under the current user's
//   Software\Microsoft\Internet Explorer\Main). The first tab of a window is selected; the others
//   are background tabs, whose windows are hidden. A tab opened with the new-tab flag is selected.
//
// Log: UTF-8 lines, fields separated by one tab character, appended as things happen. N counts the
// frame windows of the process from 1; HWND is a decimal window handle.
//   window N HWND start|new            a frame window, from the command line or made through COM
//   tab N HWND URL                     a tab of window N; HWND is its "Internet Explorer_Server"
//   visible N                          window N was asked to show itself
//   navigate N inplace|newtab URL ok|failed
//   ready                              everything on the command line exists and is served
//   tool N ID TEXT                     an item of window N's Tools menu: its command id (a
//                                      WM_COMMAND with it picks the item) and its MenuText
//   helper N CLSID loaded              a helper object made and sited in window N
//   helper N CLSID failed HRESULT      not loaded: making it, IObjectWithSite or SetSite failed
//                                      (CLSID is the key's name when that is no class id)
//   helper N CLSID released            unsited and released as window N closed
//   command N CLSID exec               a Tools item picked in window N: Exec is being called
//   command N CLSID done HRESULT       Exec returned this
//   command N CLSID failed HRESULT     the object could not be made or sited; Exec not called
//   command N CLSID released           the command object unsited and released as window N closed
//   HRESULT is written 0x%08X; CLSID in braces, in capitals.
#pragma once

namespace standin
{
// Sent to a tab's "Internet Explorer_Server" window with both parameters 0; answered like
// "WM_HTML_GETOBJECT", with the tab's IWebBrowser2 instead of its document. Tabs of a second
// process answer 0.
constexpr wchar_t kGetWebBrowserMessage[] = L"QuillmereStandIn_GetWebBrowser";

constexpr wchar_t kLogWindow[] = L"window";
constexpr wchar_t kLogTab[] = L"tab";
constexpr wchar_t kLogVisible[] = L"visible";
constexpr wchar_t kLogNavigate[] = L"navigate";
constexpr wchar_t kLogReady[] = L"ready";
constexpr wchar_t kLogTool[] = L"tool";
constexpr wchar_t kLogHelper[] = L"helper";
constexpr wchar_t kLogCommand[] = L"command";

constexpr wchar_t kWindowFromStart[] = L"start";
constexpr wchar_t kWindowFromCom[] = L"new";
constexpr wchar_t kInPlace[] = L"inplace";
constexpr wchar_t kNewTab[] = L"newtab";
constexpr wchar_t kOk[] = L"ok";
constexpr wchar_t kFailed[] = L"failed";
constexpr wchar_t kLoaded[] = L"loaded";
constexpr wchar_t kReleased[] = L"released";
constexpr wchar_t kExec[] = L"exec";
constexpr wchar_t kDone[] = L"done";

// The exit code of a process whose -tool names no item of window 1.
constexpr int kExitNoSuchTool = 8;
} // namespace standin
