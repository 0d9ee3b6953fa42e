// Registration scripts: the registry keys and values of one part of the registration, kept as
// text among the module's resources (type "REGISTRY") and applied in either direction.
//
//   HKCR                                     a root: HKCR, HKLM, HKCU or HKEY_... in full
//   {
//       NoRemove AppID                       kept: created when missing, never deleted
//       {
//           ForceRemove '%APPID%' = s 'Q'    forced: deleted with all below it, then written
//           'Quillmere.DLL'                  plain: written, and deleted at removal
//           {
//               val AppID = s '%APPID%'      a named value: s text, d 32-bit number
//           }
//       }
//   }
//
// Names are quoted ('...') or bare words; keywords are matched without regard to case. %NAME% is
// replaced (%% gives %) inside each token after the text has been split, so a replacement such as
// a path may hold any character, quotes included. An unknown %NAME% makes the script invalid.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class CRegistryScript
{
public:
    using CReplacements = std::map<std::wstring, std::wstring>;

    enum class EMark
    {
        Plain,
        Kept,
        Forced,
    };

    struct CValue
    {
        std::wstring strName; // empty for the key's default value
        DWORD dwType = REG_SZ;
        std::wstring strText;
        DWORD dwNumber = 0;
    };

    struct CKey
    {
        EMark mark = EMark::Plain;
        std::wstring strName;
        std::optional<CValue> defaultValue;
        std::vector<CValue> values;
        std::vector<CKey> subkeys;
    };

    struct CRoot
    {
        HKEY hRoot = nullptr;
        std::vector<CKey> keys;
    };

    // Reads the script. False, with nothing kept, when it is not well formed.
    bool Parse(const std::wstring& strText, const CReplacements& replacements);
    // Parses the module's script resource of that id (UTF-8 text).
    HRESULT Load(HINSTANCE hModule, UINT nResourceId, const CReplacements& replacements);

    // Writes every key and value; stops at the first failure and returns it.
    HRESULT Register() const;
    // Removes what registration wrote, by the keys' marks; what is already gone counts as removed.
    // Stops at the first failure and returns it.
    HRESULT Unregister() const;

private:
    std::vector<CRoot> m_roots;
};
