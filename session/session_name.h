// What a session's name may hold. The name is the name of its file, so the characters a file
// name cannot hold are refused, and so is ".": the catalogue never lists a file whose name has
// one, so such a session would be saved and then silently vanish.
#pragma once

#include <string>

// The refused characters: \ / : * ? " < > | and ".".
bool IsRefusedNameCharacter(wchar_t c);
bool ContainsRefusedNameCharacter(const std::wstring& strName);
