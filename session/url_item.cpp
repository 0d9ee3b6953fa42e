#include "session/url_item.h"

namespace
{
const wchar_t kDefaultTitle[] = L"Blank page";
}

CUrlItem::CUrlItem(const wchar_t* pszUrl, const wchar_t* pszTitle) : m_strUrl(pszUrl ? pszUrl : L"")
{
    SetTitleOrDefault(pszUrl, pszTitle);
}

void CUrlItem::SetTitleOrDefault(const wchar_t* /*pszUrl*/, const wchar_t* pszTitle)
{
    // Missing, empty and present addresses all take the default: a present but empty address
    // with no title is no better served by an empty title.
    m_strTitle = (pszTitle && *pszTitle) ? pszTitle : kDefaultTitle;
}
