// System colours changed for a while, and put back when the guard goes, however the test ends.
//
// The colours belong to the wineserver: every program on it sees them until they are put back.
// Only test programs that hold the display alone (registered WINDOW) may change them.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

class CSysColorsScope
{
public:
    explicit CSysColorsScope(const std::vector<std::pair<int, COLORREF>>& colours);
    ~CSysColorsScope();
    CSysColorsScope(const CSysColorsScope&) = delete;
    CSysColorsScope& operator=(const CSysColorsScope&) = delete;

    // Whether the system took the new colours.
    bool Applied() const { return m_bApplied; }

private:
    std::vector<int> m_elements;
    std::vector<COLORREF> m_saved;
    bool m_bApplied = false;
};

// A high-contrast scheme, white on black, as the system's own black one has it.
std::vector<std::pair<int, COLORREF>> HighContrastBlackColours();
