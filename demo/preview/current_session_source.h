// Where the preview's current session comes from: a session file, or a small JSON file that
// lists the windows and their tabs:
//
//     { "windows": [ { "tabs": [ { "title": "Mail", "url": "https://mail.example/" } ] } ] }
//
// "title" may be left out (the tab is then titled as a captured tab without a title is); a
// window may be given as its list of tabs alone. An optional "time" gives the capture time in
// seconds since 1970; the current time otherwise.
#pragma once

#include <string>

#include "session/session.h"

// Both throw std::runtime_error with the file and the reason when the file cannot be used.
CSession ReadCurrentSessionFromJson(const std::wstring& strPath);
CSession ReadCurrentSessionFromSessionFile(const std::wstring& strPath);

// The session used when none is given: two browser windows with a few tabs.
CSession ExampleCurrentSession();
