// The interchange forms of a session: JSON, the bookmark file every browser imports, plain
// address lists, and the indented tree that `quillmere show` prints. All text out is UTF-8.
#pragma once

#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "session/session.h"

// The deepest nesting a JSON session may have; it needs six levels.
constexpr std::size_t kMaxJsonDepth = 32;

// Input that cannot become a session; the text says what and where.
class CFormatError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// "2026-12-06T09:23:00Z"; a time the C library cannot break down is given as its number.
std::string FormatUtcTime(std::time_t time);
// "2026-12-06, 09:23" in the local time zone, as the session manager window shows it.
std::string FormatLocalTime(std::time_t time);

// {"name", "time", "windows": [{"tabs": [{"url", "title"}]}]}
nlohmann::ordered_json SessionToJson(const CSession& session);

// The windows and tabs of a JSON session (the form SessionToJson gives; "name" and "time" are
// not needed). A tab without a title, or with an empty or null one, takes the model's default.
// Throws CFormatError naming the element that is wrong, a NUL in an address or title included.
CSession SessionFromJson(const nlohmann::json& json, const std::wstring& strName, std::time_t time);

// A JSON text holding a session, or an array holding one. Nesting deeper than kMaxJsonDepth and
// more windows or tabs than a session file holds are refused while the text is parsed. Throws
// CFormatError.
CSession SessionFromJsonText(const std::string& strText, const std::wstring& strName, std::time_t time);

// The whole bookmark file: one folder per session, one sub-folder per window.
std::string SessionsToBookmarksHtml(const std::vector<CSession>& sessions);

// One address per line, a blank line between windows.
std::string SessionsToUrlList(const std::vector<CSession>& sessions);

// A list of "URL" or "URL | title" lines; blank lines separate windows. LF, CR LF or CR line
// ends, an optional UTF-8 byte order mark. Throws CFormatError naming the line for invalid UTF-8,
// a NUL byte, or more windows or tabs than a session file holds, and when there is no address.
CSession SessionFromUrlList(const std::string& strText, const std::wstring& strName, std::time_t time);

// "Instance N" lines, each tab's title and address indented below, escaped as
// EscapeControlCharacters does.
std::string SessionToTree(const CSession& session);

// UTF-8 text made safe for a terminal and unambiguous: a backslash becomes "\\", tab, line feed
// and carriage return "\t", "\n", "\r", any other character below U+0020 and U+007F "\xHH",
// and the C1 controls U+0080 to U+009F "\u00HH".
std::string EscapeControlCharacters(const std::string& strText);
