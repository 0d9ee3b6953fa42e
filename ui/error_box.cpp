#include "ui/error_box.h"

#include "base/exceptions.h"
#include "resources/resource.h"
#include "win/string_table.h"

namespace
{
void ShowStopBox(const std::wstring& strCaption, const std::wstring& strText)
{
    MessageBoxW(nullptr, strText.c_str(), strCaption.c_str(), MB_OK | MB_ICONSTOP);
}
}  // namespace

std::wstring WidenExceptionText(const char* pszText)
{
    std::wstring strOut;
    for (const char* p = pszText ? pszText : ""; *p; ++p)
        strOut += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return strOut;
}

void ShowErrorBox(UINT nCaptionId, UINT nTextId)
{
    ShowStopBox(LoadResString(nCaptionId), LoadResString(nTextId));
}

void ShowErrorBox(UINT nCaptionId, const std::wstring& strText)
{
    ShowStopBox(LoadResString(nCaptionId), strText);
}

void ShowErrorBox(UINT nCaptionId, UINT nContextId, const std::exception& e)
{
    ShowStopBox(LoadResString(nCaptionId), FormatExceptionMessage(e, LoadResString(nContextId)));
}

void ShowErrorBox(UINT nCaptionId, UINT nContextId, const CException& e)
{
    ShowStopBox(LoadResString(nCaptionId), FormatExceptionMessage(e, LoadResString(nContextId)));
}

std::wstring FormatExceptionMessage(const std::exception& e, const std::wstring& strContext)
{
    const std::wstring strReason = WidenExceptionText(e.what());
    if (!strReason.empty())
        return FormatResString(IDS_STD_EXCEPTION_REASON, strContext.c_str(), strReason.c_str());
    return FormatResString(IDS_STD_EXCEPTION_UNKNOWN, strContext.c_str());
}

std::wstring FormatExceptionMessage(const CException& e, const std::wstring& strContext)
{
    wchar_t szMessage[256] = L"";
    if (e.GetErrorMessage(szMessage, 256) && szMessage[0] != L'\0')
        return FormatResString(IDS_FRAMEWORK_EXCEPTION_REASON, strContext.c_str(), szMessage);
    return FormatResString(IDS_FRAMEWORK_EXCEPTION_UNKNOWN, strContext.c_str());
}

std::wstring FormatNamedMessage(const std::wstring& strName, UINT nIdWithName, UINT nIdWithoutName)
{
    if (!strName.empty())
        return FormatResString(nIdWithName, strName.c_str());
    return LoadResString(nIdWithoutName);
}
