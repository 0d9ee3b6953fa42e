#include "demo/preview/current_session_source.h"

#include <windows.h>

#include <ctime>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/exceptions.h"
#include "session/manual_saved_instance_loader.h"
#include "session/text_conversion.h"

namespace
{
std::string Narrow(const std::wstring& strText)
{
    return WideToUtf8(strText);
}

[[noreturn]] void Refuse(const std::wstring& strPath, const std::string& strReason)
{
    throw std::runtime_error(Narrow(strPath) + ": " + strReason);
}

std::string ReadWholeFile(const std::wstring& strPath)
{
    const HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        Refuse(strPath, "cannot be opened (error " + std::to_string(::GetLastError()) + ")");
    std::string strBytes;
    char buffer[65536];
    DWORD nRead = 0;
    BOOL bRead = TRUE;
    while ((bRead = ::ReadFile(hFile, buffer, sizeof(buffer), &nRead, nullptr)) && nRead > 0)
        strBytes.append(buffer, nRead);
    ::CloseHandle(hFile);
    if (!bRead)
        Refuse(strPath, "cannot be read");
    return strBytes;
}

std::wstring TextField(const nlohmann::json& object, const char* pszField, const std::wstring& strPath)
{
    const nlohmann::json& value = object.at(pszField);
    if (!value.is_string())
        Refuse(strPath, std::string("\"") + pszField + "\" is not a text");
    return Utf8ToWide(value.get<std::string>());
}
}  // namespace

CSession ReadCurrentSessionFromJson(const std::wstring& strPath)
{
    nlohmann::json document;
    try
    {
        document = nlohmann::json::parse(ReadWholeFile(strPath));
    }
    catch (const nlohmann::json::exception& e)
    {
        Refuse(strPath, e.what());
    }
    if (!document.is_object() || !document.contains("windows") || !document["windows"].is_array())
        Refuse(strPath, "a \"windows\" list is wanted");

    std::time_t time = std::time(nullptr);
    if (document.contains("time"))
    {
        if (!document["time"].is_number_integer())
            Refuse(strPath, "\"time\" is not a whole number of seconds");
        time = document["time"].get<std::time_t>();
    }

    CSession session(kCurrentSessionName, time);
    try
    {
        for (const nlohmann::json& window : document["windows"])
        {
            const nlohmann::json& tabs = window.is_object() ? window.at("tabs") : window;
            if (!tabs.is_array())
                Refuse(strPath, "a window is a list of tabs, or an object with one under \"tabs\"");
            CInstanceSet set;
            for (const nlohmann::json& tab : tabs)
            {
                if (!tab.is_object() || !tab.contains("url"))
                    Refuse(strPath, "a tab is an object with a \"url\"");
                const std::wstring strUrl = TextField(tab, "url", strPath);
                if (tab.contains("title"))
                    set.AddUrlItem(CUrlItem(strUrl.c_str(), TextField(tab, "title", strPath).c_str()));
                else
                    set.AddUrlItem(CUrlItem(strUrl.c_str(), nullptr));
            }
            session.AddInstanceSet(set);
        }
    }
    catch (const nlohmann::json::exception& e)
    {
        Refuse(strPath, e.what());
    }
    catch (const CException& e)
    {
        Refuse(strPath, "a text is not UTF-8 (" + Narrow(e.GetErrorMessage()) + ")");
    }
    return session;
}

CSession ReadCurrentSessionFromSessionFile(const std::wstring& strPath)
{
    CSession session(kCurrentSessionName, std::time(nullptr));
    CManualSavedInstanceLoader loader;
    loader.SetFilePath(strPath.c_str());
    try
    {
        loader.LoadSession(&session);
    }
    catch (const CException& e)
    {
        Refuse(strPath, Narrow(e.GetErrorMessage()));
    }
    catch (const std::exception& e)
    {
        Refuse(strPath, e.what());
    }
    return session;
}

CSession ExampleCurrentSession()
{
    CSession session(kCurrentSessionName, std::time(nullptr));
    CInstanceSet first;
    first.AddUrlItem(CUrlItem(L"https://quillmere.example/", L"Quillmere"));
    first.AddUrlItem(CUrlItem(L"https://news.example/today", L"Today's news"));
    first.AddUrlItem(CUrlItem(L"about:blank", nullptr));
    CInstanceSet second;
    second.AddUrlItem(CUrlItem(L"https://mail.example/inbox", L"Inbox"));
    session.AddInstanceSet(first);
    session.AddInstanceSet(second);
    return session;
}
