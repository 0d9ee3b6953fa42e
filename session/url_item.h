#pragma once

#include <string>
#include <utility>

// One tab: its address and its page title.
class CUrlItem
{
public:
    CUrlItem() = default;
    // Either text may be missing (null); the title falls back as SetTitleOrDefault says.
    CUrlItem(const wchar_t* pszUrl, const wchar_t* pszTitle);
    virtual ~CUrlItem() = default;

    CUrlItem(const CUrlItem&) = default;
    CUrlItem& operator=(const CUrlItem&) = default;
    // Declared because the virtual destructor suppresses them: without them every array of tabs
    // copies each text whenever it grows.
    CUrlItem(CUrlItem&&) noexcept = default;
    CUrlItem& operator=(CUrlItem&&) noexcept = default;

    std::wstring GetUrl() const { return m_strUrl; }
    const std::wstring& GetUrlRef() const { return m_strUrl; }
    void SetUrl(std::wstring&& strUrl) { m_strUrl = std::move(strUrl); }

    const std::wstring& GetTitle() const { return m_strTitle; }
    void SetTitle(std::wstring&& strTitle) { m_strTitle = std::move(strTitle); }

    // A tab without a title, or with an empty one, is titled "Blank page", so that no captured
    // tab leaves with an empty title (the writer refuses one).
    void SetTitleOrDefault(const wchar_t* pszUrl, const wchar_t* pszTitle);

private:
    std::wstring m_strUrl;
    std::wstring m_strTitle;
};
