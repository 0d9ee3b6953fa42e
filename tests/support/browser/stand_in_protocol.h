// What the stand-in browser and the programs that drive it agree on: its command line, the lines
// of its log, and the message that hands out a tab's browser object.
//
// Command line:   iexplore.exe [-log FILE] [-tabs FILE] [-fail URL]... [-Embedding] [-owner PID]
//                              [ITEM]...
//   ITEM          "-window" starts another frame window (the first needs none); anything else is a
//                 tab of the current window, written URL|TITLE|MODES (TITLE and MODES may be left
//                 out; a tab without TITLE is a page without a title).
//   MODES         comma-separated:
//                   hang     the tab never answers for its document (its own thread blocks)
//                   refuse   the tab answers that it has no document
//                   notitle  the document's title cannot be read
//                   remote   the tab's window belongs to a second process, as with real tab
//                   processes
//   -tabs FILE    more ITEMs, one a line (UTF-8; empty lines and lines starting with # are
//   skipped). -fail URL     a Navigate to exactly this URL fails with E_FAIL. -Embedding    also
//   serves the browser application object: every object made is a new, hidden
//                 window with one empty tab, as the browser makes for automation.
//   -owner PID    ends, in order, when that process ends (a test that died, say).
//   WM_QUIT posted to the main thread ends it in order too. Ending in order matters with
//   -Embedding: a class object left registered by a killed process makes every later attempt to
//   create a browser fail with RPC_S_SERVER_UNAVAILABLE until the Wine server restarts.
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

constexpr wchar_t kWindowFromStart[] = L"start";
constexpr wchar_t kWindowFromCom[] = L"new";
constexpr wchar_t kInPlace[] = L"inplace";
constexpr wchar_t kNewTab[] = L"newtab";
constexpr wchar_t kOk[] = L"ok";
constexpr wchar_t kFailed[] = L"failed";
} // namespace standin
