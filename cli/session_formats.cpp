#include "session_formats.h"

#include <ctime>
#include <utility>

#include "exceptions.h"
#include "text_conversion.h"

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

CUrlItem TabFromJson(const nlohmann::json& tab, const std::string& strWhere)
{
    if (!tab.is_object())
        throw CFormatError(strWhere + ": not an object");
    const auto url = tab.find("url");
    if (url == tab.end() || !url->is_string())
        throw CFormatError(strWhere + ": \"url\" is missing or not a string");
    if (url->get_ref<const std::string&>().empty())
        throw CFormatError(strWhere + ": \"url\" is empty");
    const std::wstring strUrl = WideOrThrow(url->get<std::string>(), strWhere);

    std::wstring strTitle;
    const auto title = tab.find("title");
    if (title != tab.end() && !title->is_null())
    {
        if (!title->is_string())
            throw CFormatError(strWhere + ": \"title\" is not a string");
        strTitle = WideOrThrow(title->get<std::string>(), strWhere);
    }
    return CUrlItem(strUrl.c_str(), strTitle.c_str());
}

// The lines of a text without their LF or CR LF ends.
std::vector<std::string> SplitLines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::size_t nStart = 0;
    while (nStart < strText.size())
    {
        std::size_t nEnd = strText.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        std::string strLine = strText.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        lines.push_back(std::move(strLine));
        nStart = nEnd + 1;
    }
    return lines;
}

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
    const bool bBom = strText.compare(0, 3, kUtf8Bom) == 0;
    const std::vector<std::string> lines = SplitLines(bBom ? strText.substr(3) : strText);

    CSession session(strName, time);
    CInstanceSet set;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        const std::string strWhere = "line " + std::to_string(i + 1);
        if (IsBlank(lines[i]))
        {
            if (set.GetUrlItemsCount())
                session.AddInstanceSet(std::move(set));
            set = CInstanceSet();
            continue;
        }
        // An address holds no white space, so the first " | " ends it.
        const std::size_t nBar = lines[i].find(" | ");
        const std::string strUrl = Trim(lines[i].substr(0, nBar));
        const std::string strTitle = nBar == std::string::npos ? std::string() : Trim(lines[i].substr(nBar + 3));
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
            strOut += "    " + Utf8(item.GetTitle()) + "\n        " + Utf8(item.GetUrlRef()) + '\n';
    }
    return strOut;
}
