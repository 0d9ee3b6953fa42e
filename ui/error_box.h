// The error boxes every user action reports its failures with: no owner window, an OK button, the
// stop icon, caption and texts from the string table.
#pragma once

#include <windows.h>

#include <exception>
#include <string>
#include <utility>

#include "base/exceptions.h"

void ShowErrorBox(UINT nCaptionId, UINT nTextId);
void ShowErrorBox(UINT nCaptionId, const std::wstring& strText);
void ShowErrorBox(UINT nCaptionId, UINT nContextId, const std::exception& e);
void ShowErrorBox(UINT nCaptionId, UINT nContextId, const CException& e);

// A user action run so that nothing escapes it: a framework or standard exception is shown as
// "<context>.\rReason: ..." under the caption, anything else with the unknown text. Returns
// whether the action ran to its end.
template <class Action>
bool RunReportingErrors(UINT nCaptionId, UINT nContextId, UINT nUnknownId, Action&& action)
{
    try
    {
        std::forward<Action>(action)();
        return true;
    }
    catch (const CException& e)
    {
        ShowErrorBox(nCaptionId, nContextId, e);
    }
    catch (const std::exception& e)
    {
        ShowErrorBox(nCaptionId, nContextId, e);
    }
    catch (...)
    {
        ShowErrorBox(nCaptionId, nUnknownId);
    }
    return false;
}

// "<context>.\rReason: <text>." from a standard exception's text (widened character by character),
// or the "unknown standard exception" text when it has none.
std::wstring FormatExceptionMessage(const std::exception& e, const std::wstring& strContext);
// The same from a framework exception's own message (at most 255 characters of it).
std::wstring FormatExceptionMessage(const CException& e, const std::wstring& strContext);

// The first string filled with the name when there is one, otherwise the second as it stands.
std::wstring FormatNamedMessage(const std::wstring& strName, UINT nIdWithName, UINT nIdWithoutName);

// A standard exception's narrow text as the boxes show it: each character widened as it is.
std::wstring WidenExceptionText(const char* pszText);
