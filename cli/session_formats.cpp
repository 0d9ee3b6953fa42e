#include "cli/session_formats.h"

#include <ctime>
#include <utility>

#include "base/exceptions.h"
#include "session/session_file_limits.h"
#include "session/text_conversion.h"

namespace
{
const char kUtf8Bom[] = "\xEF\xBB\xBF";

bool BreakDownTime(std::time_t time, std::tm& parts, bool bUtc)
{
#ifdef _WIN32
    return (bUtc ? _gmtime64_s(&parts, &time) : _localtime64_s(&parts, &time)) == 0;
#else
    return (bUtc ? gmtime_r(&time, &parts) : localtime_r(&time, &parts)) != nullptr;
#endif
}

std::string FormatTime(std::time_t time, const char* pszFormat, bool bUtc)
{
    std::tm parts{};
    char szText[64];
    if (!BreakDownTime(time, parts, bUtc) || !std::strftime(szText, sizeof(szText), pszFormat, &parts))
        return std::to_string(static_cast<long long>(time));
    return szText;
}

// Text from the model is valid UTF-16 only when the browser gave valid text; the conversion
// replaces the rest, so the JSON writer never meets invalid UTF-8.
std::string Utf8(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

std::wstring WideOrThrow(const std::string& strText, const std::string& strWhere)
{
    try
    {
        return Utf8ToWide(strText);
    }
    catch (const CException&)
    {
        throw CFormatError(strWhere + ": invalid UTF-8");
    }
}

void AppendEscapedHtml(std::string& strOut, const std::string& strText)
{
    for (char c : strText)
    {
        switch (c)
        {
        case '&': strOut += "&amp;"; break;
        case '<': strOut += "&lt;"; break;
        case '>': strOut += "&gt;"; break;
        case '"': strOut += "&quot;"; break;
        case '\'': strOut += "&#39;"; break;
        default: strOut += c;
        }
    }
}

std::string Where(std::size_t nWindow, std::size_t nTab = 0)
{
    std::string strWhere = "window " + std::to_string(nWindow + 1);
    if (nTab)
        strWhere += ", tab " + std::to_string(nTab);
    return strWhere;
}

// The model keeps its texts as C strings: a NUL would silently cut them.
std::wstring TextOrThrow(const std::string& strText, const std::string& strWhere, const char* pszKey)
{
    if (strText.find('\0') != std::string::npos)
        throw CFormatError(strWhere + ": \"" + pszKey + "\" holds a NUL character");
    return WideOrThrow(strText, strWhere);
}

CUrlItem TabFromJson(const nlohmann::json& tab, const std::string& strWhere)
{
    if (!tab.is_object())
        throw CFormatError(strWhere + ": not an object");
    const auto url = tab.find("url");
    if (url == tab.end() || !url->is_string())
        throw CFormatError(strWhere + ": \"url\" is missing or not a string");
    if (url->get_ref<const std::string&>().empty())
        throw CFormatError(strWhere + ": \"url\" is empty");
    const std::wstring strUrl = TextOrThrow(url->get_ref<const std::string&>(), strWhere, "url");

    std::wstring strTitle;
    const auto title = tab.find("title");
    if (title != tab.end() && !title->is_null())
    {
        if (!title->is_string())
            throw CFormatError(strWhere + ": \"title\" is not a string");
        strTitle = TextOrThrow(title->get_ref<const std::string&>(), strWhere, "title");
    }
    return CUrlItem(strUrl.c_str(), strTitle.c_str());
}

// Builds the JSON value as the library's own parser does, refusing too deep a nesting and more
// windows or tabs than a session file holds as they are read, before they are built. (The
// library's parser callback would do the same, but it rescans an array at every element's end.)
class CSessionJsonBuilder
{
public:
    using Json = nlohmann::json;

    explicit CSessionJsonBuilder(Json& root) : m_builder(root) {}

    bool null() { CountElement(); return m_builder.null(); }
    bool boolean(bool b) { CountElement(); return m_builder.boolean(b); }
    bool number_integer(Json::number_integer_t n) { CountElement(); return m_builder.number_integer(n); }
    bool number_unsigned(Json::number_unsigned_t n) { CountElement(); return m_builder.number_unsigned(n); }
    bool number_float(Json::number_float_t n, const Json::string_t& s)
    {
        CountElement();
        return m_builder.number_float(n, s);
    }
    bool string(Json::string_t& s) { CountElement(); return m_builder.string(s); }
    bool binary(Json::binary_t& b) { CountElement(); return m_builder.binary(b); }
    bool start_object(std::size_t n) { Open(false); return m_builder.start_object(n); }
    bool start_array(std::size_t n) { Open(true); return m_builder.start_array(n); }
    bool key(Json::string_t& s)
    {
        m_strKey = s;
        return m_builder.key(s);
    }
    bool end_object()
    {
        m_levels.pop_back();
        return m_builder.end_object();
    }
    bool end_array()
    {
        m_levels.pop_back();
        return m_builder.end_array();
    }
    bool parse_error(std::size_t nPosition, const std::string& strToken, const nlohmann::detail::exception& e)
    {
        return m_builder.parse_error(nPosition, strToken, e);
    }

private:
    enum class ERole
    {
        Other,
        Wrapper,  // the array around the session
        Session,
        Windows,
        Window,
        Tabs,
    };
    struct CLevel
    {
        ERole role;
        std::size_t nElements;
    };

    void Open(bool bArray)
    {
        CountElement();
        if (m_levels.size() == kMaxJsonDepth)
            throw CFormatError("nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
        m_levels.push_back({RoleOfNew(bArray), 0});
    }

    ERole RoleOfNew(bool bArray) const
    {
        if (m_levels.empty())
            return bArray ? ERole::Wrapper : ERole::Session;
        const ERole parent = m_levels.back().role;
        if (parent == ERole::Wrapper && !bArray)
            return ERole::Session;
        if (parent == ERole::Session && bArray && m_strKey == "windows")
            return ERole::Windows;
        if (parent == ERole::Windows && !bArray)
            return ERole::Window;
        if (parent == ERole::Window && bArray && m_strKey == "tabs")
            return ERole::Tabs;
        return ERole::Other;
    }

    // Counts a value (or the start of a container) as an element of the array it lies in.
    void CountElement()
    {
        if (m_levels.empty())
            return;
        CLevel& level = m_levels.back();
        if ((level.role != ERole::Windows && level.role != ERole::Tabs) ||
            ++level.nElements <= static_cast<std::size_t>(kMaxFileCount))
            return;
        const std::string strLimit = "more than " + std::to_string(kMaxFileCount);
        if (level.role == ERole::Windows)
            throw CFormatError(strLimit + " windows");
        // A tabs array lies in a window, which lies in the windows array.
        throw CFormatError(Where(m_levels[m_levels.size() - 3].nElements - 1) + ": " + strLimit + " tabs");
    }

    nlohmann::detail::json_sax_dom_parser<Json> m_builder;
    std::vector<CLevel> m_levels;
    std::string m_strKey;
};

bool IsBlank(const std::string& strLine)
{
    return strLine.find_first_not_of(" \t") == std::string::npos;
}

std::string Trim(const std::string& strText)
{
    const std::size_t nFirst = strText.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return std::string();
    const std::size_t nLast = strText.find_last_not_of(" \t");
    return strText.substr(nFirst, nLast - nFirst + 1);
}
}  // namespace

std::string FormatUtcTime(std::time_t time)
{
    return FormatTime(time, "%Y-%m-%dT%H:%M:%SZ", true);
}

std::string FormatLocalTime(std::time_t time)
{
    return FormatTime(time, "%Y-%m-%d, %H:%M", false);
}

nlohmann::ordered_json SessionToJson(const CSession& session)
{
    nlohmann::ordered_json windows = nlohmann::ordered_json::array();
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        nlohmann::ordered_json tabs = nlohmann::ordered_json::array();
        for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
            tabs.push_back({{"url", Utf8(item.GetUrlRef())}, {"title", Utf8(item.GetTitle())}});
        windows.push_back({{"tabs", std::move(tabs)}});
    }
    return {{"name", Utf8(session.GetName())},
            {"time", FormatUtcTime(session.GetTime())},
            {"windows", std::move(windows)}};
}

CSession SessionFromJson(const nlohmann::json& json, const std::wstring& strName, std::time_t time)
{
    if (!json.is_object())
        throw CFormatError("a session must be a JSON object");
    const auto windows = json.find("windows");
    if (windows == json.end() || !windows->is_array())
        throw CFormatError("\"windows\" is missing or not an array");
    if (windows->empty())
        throw CFormatError("\"windows\" is empty");

    CSession session(strName, time);
    for (std::size_t i = 0; i < windows->size(); ++i)
    {
        const nlohmann::json& window = (*windows)[i];
        const std::string strWhere = Where(i);
        if (!window.is_object())
            throw CFormatError(strWhere + ": not an object");
        const auto tabs = window.find("tabs");
        if (tabs == window.end() || !tabs->is_array())
            throw CFormatError(strWhere + ": \"tabs\" is missing or not an array");
        if (tabs->empty())
            throw CFormatError(strWhere + ": \"tabs\" is empty");
        CInstanceSet set;
        for (std::size_t k = 0; k < tabs->size(); ++k)
            set.AddUrlItem(TabFromJson((*tabs)[k], Where(i, k + 1)));
        session.AddInstanceSet(std::move(set));
    }
    return session;
}

CSession SessionFromJsonText(const std::string& strText, const std::wstring& strName, std::time_t time)
{
    nlohmann::json json;
    try
    {
        CSessionJsonBuilder builder(json);
        nlohmann::json::sax_parse(strText, &builder);
    }
    catch (const nlohmann::json::exception& e)
    {
        throw CFormatError(std::string("not valid JSON: ") + e.what());
    }
    if (json.is_array())
    {
        if (json.size() != 1)
            throw CFormatError("holds " + std::to_string(json.size()) + " sessions; import takes one at a time");
        // Taken out rather than copied.
        nlohmann::json session = std::move(json[0]);
        json = std::move(session);
    }
    return SessionFromJson(json, strName, time);
}

std::string SessionsToBookmarksHtml(const std::vector<CSession>& sessions)
{
    std::string strOut =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n"
        "     DO NOT EDIT! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks</H1>\n"
        "<DL><p>\n";
    for (const CSession& session : sessions)
    {
        const std::string strTime = std::to_string(static_cast<long long>(session.GetTime()));
        strOut += "    <DT><H3 ADD_DATE=\"" + strTime + "\" LAST_MODIFIED=\"" + strTime + "\">";
        AppendEscapedHtml(strOut, Utf8(session.GetName()));
        strOut += "</H3>\n    <DL><p>\n";
        for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
        {
            strOut += "        <DT><H3>Instance " + std::to_string(i + 1) + "</H3>\n        <DL><p>\n";
            for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
            {
                strOut += "            <DT><A HREF=\"";
                AppendEscapedHtml(strOut, Utf8(item.GetUrlRef()));
                strOut += "\" ADD_DATE=\"" + strTime + "\">";
                AppendEscapedHtml(strOut, Utf8(item.GetTitle()));
                strOut += "</A>\n";
            }
            strOut += "        </DL><p>\n";
        }
        strOut += "    </DL><p>\n";
    }
    strOut += "</DL><p>\n";
    return strOut;
}

std::string SessionsToUrlList(const std::vector<CSession>& sessions)
{
    std::string strOut;
    bool bFirstWindow = true;
    for (const CSession& session : sessions)
    {
        for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
        {
            if (!bFirstWindow)
                strOut += '\n';
            bFirstWindow = false;
            for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
                strOut += Utf8(item.GetUrlRef()) + '\n';
        }
    }
    return strOut;
}

CSession SessionFromUrlList(const std::string& strText, const std::wstring& strName, std::time_t time)
{
    CSession session(strName, time);
    CInstanceSet set;
    std::size_t nPos = strText.compare(0, 3, kUtf8Bom) == 0 ? 3 : 0;
    for (std::size_t nLine = 1; nPos < strText.size(); ++nLine)
    {
        // LF, CR LF or a lone CR ends a line.
        std::size_t nEnd = strText.find_first_of("\r\n", nPos);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        const std::string strLine = strText.substr(nPos, nEnd - nPos);
        nPos = nEnd + (strText.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);

        const std::string strWhere = "line " + std::to_string(nLine);
        if (strLine.find('\0') != std::string::npos)
            throw CFormatError(strWhere + ": holds a NUL byte");
        if (IsBlank(strLine))
        {
            if (set.GetUrlItemsCount())
                session.AddInstanceSet(std::move(set));
            set = CInstanceSet();
            continue;
        }
        // Refused as soon as they are read: a huge list never becomes a huge session.
        if (set.GetUrlItemsCount() == 0 && session.GetInstanceSetsCount() == kMaxFileCount)
            throw CFormatError(strWhere + ": more than " + std::to_string(kMaxFileCount) + " windows");
        if (set.GetUrlItemsCount() == kMaxFileCount)
            throw CFormatError(strWhere + ": more than " + std::to_string(kMaxFileCount) + " tabs in window " +
                               std::to_string(session.GetInstanceSetsCount() + 1));
        // An address holds no white space, so the first " | " ends it.
        const std::size_t nBar = strLine.find(" | ");
        const std::string strUrl = Trim(strLine.substr(0, nBar));
        const std::string strTitle = nBar == std::string::npos ? std::string() : Trim(strLine.substr(nBar + 3));
        if (strUrl.empty())
            throw CFormatError(strWhere + ": no address before \" | \"");
        set.AddUrlItem(CUrlItem(WideOrThrow(strUrl, strWhere).c_str(), WideOrThrow(strTitle, strWhere).c_str()));
    }
    if (set.GetUrlItemsCount())
        session.AddInstanceSet(std::move(set));
    if (!session.GetInstanceSetsCount())
        throw CFormatError("no address in the list");
    return session;
}

std::string SessionToTree(const CSession& session)
{
    std::string strOut;
    for (int i = 0; i < session.GetInstanceSetsCount(); ++i)
    {
        strOut += "Instance " + std::to_string(i + 1) + '\n';
        for (const CUrlItem& item : session.GetInstanceSet(i)->GetUrlItems())
        {
            strOut += "    " + EscapeControlCharacters(Utf8(item.GetTitle())) + "\n        " +
                      EscapeControlCharacters(Utf8(item.GetUrlRef())) + '\n';
        }
    }
    return strOut;
}

std::string EscapeControlCharacters(const std::string& strText)
{
    const auto AppendHex = [](std::string& strOut, unsigned char c) {
        static const char kHex[] = "0123456789abcdef";
        strOut += kHex[c >> 4];
        strOut += kHex[c & 0xF];
    };
    std::string strOut;
    strOut.reserve(strText.size());
    for (std::size_t i = 0; i < strText.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(strText[i]);
        switch (c)
        {
        case '\\': strOut += "\\\\"; continue;
        case '\t': strOut += "\\t"; continue;
        case '\n': strOut += "\\n"; continue;
        case '\r': strOut += "\\r"; continue;
        default: break;
        }
        if (c < 0x20 || c == 0x7F)
        {
            strOut += "\\x";
            AppendHex(strOut, c);
        }
        else if (c == 0xC2 && i + 1 < strText.size() && (static_cast<unsigned char>(strText[i + 1]) & 0xE0) == 0x80)
        {
            // C2 80 to C2 9F: the C1 controls U+0080 to U+009F.
            strOut += "\\u00";
            AppendHex(strOut, static_cast<unsigned char>(strText[++i]));
        }
        else
        {
            strOut += static_cast<char>(c);
        }
    }
    return strOut;
}
