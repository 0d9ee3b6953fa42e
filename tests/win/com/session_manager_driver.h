// The session manager dialog as a test drives it from inside its modal loop: its controls found by
// id anywhere below the dialog (the Sessions page is a window of its own), the rows of the session
// list, and presses on its buttons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Ids of the dialog's controls, as the templates give them.
constexpr int kSessionListId = 208;
constexpr int kLoadButtonId = 202;

// The first window below hDialog, at any depth, with that id and class.
HWND FindControl(HWND hDialog, int nId, const wchar_t* pszClass);

// Each row of the session list as "name | windows | tabs".
std::vector<std::wstring> SessionRows(HWND hDialog);

// Clicks a row of the session list, or a button of the dialog or its pages.
void ClickSessionRow(HWND hDialog, int nRow);
void ClickButton(HWND hDialog, int nId);
