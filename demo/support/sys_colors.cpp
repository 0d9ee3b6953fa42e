#include "demo/support/sys_colors.h"

CSysColorsScope::CSysColorsScope(const std::vector<std::pair<int, COLORREF>>& colours)
{
    std::vector<COLORREF> values;
    for (const auto& [nElement, crColour] : colours)
    {
        m_elements.push_back(nElement);
        m_saved.push_back(::GetSysColor(nElement));
        values.push_back(crColour);
    }
    m_bApplied = !m_elements.empty() &&
                 ::SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), values.data());
}

CSysColorsScope::~CSysColorsScope()
{
    if (m_bApplied)
        ::SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), m_saved.data());
}

std::vector<std::pair<int, COLORREF>> HighContrastBlackColours()
{
    const COLORREF crBlack = RGB(0, 0, 0);
    const COLORREF crWhite = RGB(255, 255, 255);
    return {
        {COLOR_WINDOW, crBlack},         {COLOR_WINDOWTEXT, crWhite},         {COLOR_BTNFACE, crBlack},
        {COLOR_BTNTEXT, crWhite},        {COLOR_HIGHLIGHT, RGB(26, 235, 255)}, {COLOR_HIGHLIGHTTEXT, crBlack},
        {COLOR_GRAYTEXT, RGB(63, 242, 63)}, {COLOR_HOTLIGHT, RGB(255, 255, 0)},  {COLOR_MENU, crBlack},
        {COLOR_MENUTEXT, crWhite},
    };
}
