// The recording add-on: a small in-process COM server that the tests register in the private Wine
// prefix, as a helper object and as a Tools-menu extension, so that they can watch a browser host
// add-ons. It writes down what it is given, one line per event, to the file named by the
// environment variable below (nothing when it is unset); several processes may share one file.
//
// Record: UTF-8 lines, fields separated by one tab character. OBJ is "PID.N", N counting the
// objects made in that process from 1; HRESULTs are written 0x%08X.
//   created OBJ
//   site OBJ HWND URL TARGET ADVISE    SetSite with a site: the browser that QueryService gave for
//                                      SID_SWebBrowserApp, its get_HWND (decimal) and
//                                      get_LocationURL; the result of asking the site for
//                                      IOleCommandTarget and of connecting to its
//                                      DWebBrowserEvents2
//   site OBJ failed HRESULT            SetSite with a site that gave no browser
//   unsite OBJ                         SetSite(NULL); the events connection ended
//   event OBJ DISPID [URL SAME]        an event of the browser: DocumentComplete (259) with its URL
//                                      and whether its pDisp is the site's browser ("same" or
//                                      "other"), OnQuit (253) alone
//   exec OBJ GROUP ID OPT IN OUT THREAD COM
//                                      Exec: the command group (a GUID or "null"), id and options,
//                                      "null" or the variant type of pvaIn, "null" or "given" for
//                                      pvaOut; "ui" when called on the thread of the site's
//                                      window, else "other"; what CoInitialize said there, which
//                                      Exec returns (after balancing it)
//   destroyed OBJ
#pragma once

namespace recording_add_on
{
constexpr wchar_t kClassId[] = L"{BB13AD9E-A533-4DC3-B02C-9D46C4D565B3}";
// The key of its Tools-menu extension under Internet Explorer\Extensions.
constexpr wchar_t kExtensionKey[] = L"{848F350D-41FE-47A6-B3DE-7228B8051B9A}";
constexpr wchar_t kMenuText[] = L"&Recording add-on...";
constexpr wchar_t kRecordVariable[] = L"QLMR_RECORDING_ADD_ON";
} // namespace recording_add_on
