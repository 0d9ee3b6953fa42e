#include "com/registry_script.h"

#include <shlwapi.h>

#include <cwctype>
#include <utility>

namespace
{
const wchar_t kResourceType[] = L"REGISTRY";

class CKeyHandle
{
public:
    CKeyHandle() = default;
    ~CKeyHandle()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CKeyHandle(const CKeyHandle&) = delete;
    CKeyHandle& operator=(const CKeyHandle&) = delete;

    HKEY* Out() { return &m_hKey; }
    operator HKEY() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

HRESULT FromStatus(LSTATUS nStatus)
{
    return nStatus == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(nStatus));
}

bool IsGone(LSTATUS nStatus)
{
    return nStatus == ERROR_FILE_NOT_FOUND || nStatus == ERROR_PATH_NOT_FOUND;
}

bool EqualsKeyword(const std::wstring& strText, const wchar_t* pszKeyword)
{
    size_t i = 0;
    for (; i < strText.size() && pszKeyword[i]; ++i)
    {
        if (std::towlower(strText[i]) != std::towlower(pszKeyword[i]))
            return false;
    }
    return i == strText.size() && !pszKeyword[i];
}

// ---- Tokens

enum class ETokenType
{
    Word,
    Quoted,
    Open,
    Close,
    Equals,
};

struct CToken
{
    ETokenType type;
    std::wstring strText;
};

bool IsWordCharacter(wchar_t ch)
{
    return !std::iswspace(ch) && ch != L'{' && ch != L'}' && ch != L'=' && ch != L'\'';
}

// Replaces %NAME% and %% in one token. False for an unknown name or a lone %.
bool Replace(std::wstring& strText, const CRegistryScript::CReplacements& replacements)
{
    std::wstring strOut;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        if (strText[i] != L'%')
        {
            strOut += strText[i];
            continue;
        }
        const size_t nEnd = strText.find(L'%', i + 1);
        if (nEnd == std::wstring::npos)
            return false;
        const std::wstring strName = strText.substr(i + 1, nEnd - i - 1);
        if (strName.empty())
        {
            strOut += L'%';
        }
        else
        {
            const auto found = replacements.find(strName);
            if (found == replacements.end())
                return false;
            strOut += found->second;
        }
        i = nEnd;
    }
    strText = std::move(strOut);
    return true;
}

bool Tokenize(const std::wstring& strText, const CRegistryScript::CReplacements& replacements,
              std::vector<CToken>& tokens)
{
    size_t i = 0;
    while (i < strText.size())
    {
        const wchar_t ch = strText[i];
        if (std::iswspace(ch))
        {
            ++i;
        }
        else if (ch == L'{' || ch == L'}' || ch == L'=')
        {
            tokens.push_back({ch == L'{'   ? ETokenType::Open
                              : ch == L'}' ? ETokenType::Close
                                           : ETokenType::Equals,
                              std::wstring(1, ch)});
            ++i;
        }
        else if (ch == L'\'')
        {
            const size_t nEnd = strText.find(L'\'', i + 1);
            if (nEnd == std::wstring::npos)
                return false;
            tokens.push_back({ETokenType::Quoted, strText.substr(i + 1, nEnd - i - 1)});
            i = nEnd + 1;
            if (!Replace(tokens.back().strText, replacements))
                return false;
        }
        else
        {
            const size_t nStart = i;
            while (i < strText.size() && IsWordCharacter(strText[i]))
                ++i;
            tokens.push_back({ETokenType::Word, strText.substr(nStart, i - nStart)});
            if (!Replace(tokens.back().strText, replacements))
                return false;
        }
    }
    return true;
}

// ---- Grammar

class CParser
{
public:
    explicit CParser(const std::vector<CToken>& tokens) : m_tokens(tokens) {}

    bool ParseScript(std::vector<CRegistryScript::CRoot>& roots)
    {
        while (m_nNext < m_tokens.size())
        {
            CRegistryScript::CRoot root;
            const CToken* pName = Take(ETokenType::Word);
            if (!pName || !(root.hRoot = RootKey(pName->strText)) || !Take(ETokenType::Open) ||
                !ParseKeys(root.keys, nullptr) || !Take(ETokenType::Close))
                return false;
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    static HKEY RootKey(const std::wstring& strName)
    {
        if (EqualsKeyword(strName, L"HKCR") || EqualsKeyword(strName, L"HKEY_CLASSES_ROOT"))
            return HKEY_CLASSES_ROOT;
        if (EqualsKeyword(strName, L"HKLM") || EqualsKeyword(strName, L"HKEY_LOCAL_MACHINE"))
            return HKEY_LOCAL_MACHINE;
        if (EqualsKeyword(strName, L"HKCU") || EqualsKeyword(strName, L"HKEY_CURRENT_USER"))
            return HKEY_CURRENT_USER;
        if (EqualsKeyword(strName, L"HKU") || EqualsKeyword(strName, L"HKEY_USERS"))
            return HKEY_USERS;
        return nullptr;
    }

    const CToken* Peek() const { return m_nNext < m_tokens.size() ? &m_tokens[m_nNext] : nullptr; }
    bool PeekIs(ETokenType type) const { return Peek() && Peek()->type == type; }
    const CToken* Take(ETokenType type)
    {
        if (!PeekIs(type))
            return nullptr;
        return &m_tokens[m_nNext++];
    }
    // A key or value name: a word or a quoted text.
    const CToken* TakeName()
    {
        if (PeekIs(ETokenType::Word) || PeekIs(ETokenType::Quoted))
            return &m_tokens[m_nNext++];
        return nullptr;
    }

    // Keys (and, inside a key, its named values) up to the closing brace, which is left.
    bool ParseKeys(std::vector<CRegistryScript::CKey>& keys, CRegistryScript::CKey* pOwner)
    {
        while (Peek() && !PeekIs(ETokenType::Close))
        {
            if (PeekIs(ETokenType::Word) && EqualsKeyword(Peek()->strText, L"val"))
            {
                ++m_nNext;
                CRegistryScript::CValue value;
                const CToken* pName = TakeName();
                if (!pOwner || !pName || pName->strText.empty() || !Take(ETokenType::Equals) ||
                    !ParseValue(value))
                    return false;
                value.strName = pName->strText;
                pOwner->values.push_back(std::move(value));
                continue;
            }

            CRegistryScript::CKey key;
            if (PeekIs(ETokenType::Word) && EqualsKeyword(Peek()->strText, L"NoRemove"))
            {
                key.mark = CRegistryScript::EMark::Kept;
                ++m_nNext;
            }
            else if (PeekIs(ETokenType::Word) && EqualsKeyword(Peek()->strText, L"ForceRemove"))
            {
                key.mark = CRegistryScript::EMark::Forced;
                ++m_nNext;
            }
            const CToken* pName = TakeName();
            // One level per key: a path would put keys out of reach of their own marks.
            if (!pName || pName->strText.empty() ||
                pName->strText.find(L'\\') != std::wstring::npos)
                return false;
            key.strName = pName->strText;
            if (Take(ETokenType::Equals))
            {
                CRegistryScript::CValue value;
                if (!ParseValue(value))
                    return false;
                key.defaultValue = std::move(value);
            }
            if (Take(ETokenType::Open))
            {
                if (!ParseKeys(key.subkeys, &key) || !Take(ETokenType::Close))
                    return false;
            }
            keys.push_back(std::move(key));
        }
        return true;
    }

    bool ParseValue(CRegistryScript::CValue& value)
    {
        const CToken* pType = Take(ETokenType::Word);
        const CToken* pData = pType ? TakeName() : nullptr;
        if (!pData)
            return false;
        if (EqualsKeyword(pType->strText, L"s"))
        {
            value.dwType = REG_SZ;
            value.strText = pData->strText;
            return true;
        }
        if (EqualsKeyword(pType->strText, L"d"))
        {
            value.dwType = REG_DWORD;
            return ParseNumber(pData->strText, value.dwNumber);
        }
        return false;
    }

    // Decimal, or hexadecimal after 0x; at most 32 bits.
    static bool ParseNumber(const std::wstring& strText, DWORD& dwNumber)
    {
        const bool bHex =
            strText.size() > 2 && strText[0] == L'0' && (strText[1] == L'x' || strText[1] == L'X');
        const unsigned nBase = bHex ? 16 : 10;
        size_t i = bHex ? 2 : 0;
        if (i == strText.size())
            return false;
        unsigned long long nValue = 0;
        for (; i < strText.size(); ++i)
        {
            const wchar_t ch = strText[i];
            unsigned nDigit;
            if (ch >= L'0' && ch <= L'9')
                nDigit = static_cast<unsigned>(ch - L'0');
            else if (bHex && ch >= L'a' && ch <= L'f')
                nDigit = static_cast<unsigned>(ch - L'a' + 10);
            else if (bHex && ch >= L'A' && ch <= L'F')
                nDigit = static_cast<unsigned>(ch - L'A' + 10);
            else
                return false;
            nValue = nValue * nBase + nDigit;
            if (nValue > 0xFFFFFFFFull)
                return false;
        }
        dwNumber = static_cast<DWORD>(nValue);
        return true;
    }

    const std::vector<CToken>& m_tokens;
    size_t m_nNext = 0;
};

// ---- Applying

HRESULT SetValue(HKEY hKey, const CRegistryScript::CValue& value)
{
    const wchar_t* pszName = value.strName.empty() ? nullptr : value.strName.c_str();
    if (value.dwType == REG_DWORD)
        return FromStatus(RegSetValueExW(hKey, pszName, 0, REG_DWORD,
                                         reinterpret_cast<const BYTE*>(&value.dwNumber),
                                         sizeof(value.dwNumber)));
    return FromStatus(RegSetValueExW(
        hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.strText.c_str()),
        static_cast<DWORD>((value.strText.size() + 1) * sizeof(wchar_t))));
}

HRESULT RegisterKey(HKEY hParent, const CRegistryScript::CKey& key)
{
    if (key.mark == CRegistryScript::EMark::Forced)
    {
        const LSTATUS nStatus = SHDeleteKeyW(hParent, key.strName.c_str());
        if (nStatus != ERROR_SUCCESS && !IsGone(nStatus))
            return FromStatus(nStatus);
    }
    CKeyHandle hKey;
    HRESULT hr = FromStatus(RegCreateKeyExW(hParent, key.strName.c_str(), 0, nullptr,
                                            REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                                            hKey.Out(), nullptr));
    if (FAILED(hr))
        return hr;
    if (key.defaultValue && FAILED(hr = SetValue(hKey, *key.defaultValue)))
        return hr;
    for (const CRegistryScript::CValue& value : key.values)
    {
        if (FAILED(hr = SetValue(hKey, value)))
            return hr;
    }
    for (const CRegistryScript::CKey& subkey : key.subkeys)
    {
        if (FAILED(hr = RegisterKey(hKey, subkey)))
            return hr;
    }
    return S_OK;
}

HRESULT UnregisterKey(HKEY hParent, const CRegistryScript::CKey& key)
{
    if (key.mark == CRegistryScript::EMark::Forced)
    {
        const LSTATUS nStatus = SHDeleteKeyW(hParent, key.strName.c_str());
        return IsGone(nStatus) ? S_OK : FromStatus(nStatus);
    }

    DWORD nSubkeys = 0;
    {
        CKeyHandle hKey;
        const LSTATUS nStatus =
            RegOpenKeyExW(hParent, key.strName.c_str(), 0, KEY_READ | KEY_WRITE, hKey.Out());
        if (IsGone(nStatus))
            return S_OK;
        HRESULT hr = FromStatus(nStatus);
        if (FAILED(hr))
            return hr;
        for (const CRegistryScript::CKey& subkey : key.subkeys)
        {
            if (FAILED(hr = UnregisterKey(hKey, subkey)))
                return hr;
        }
        if (key.mark == CRegistryScript::EMark::Kept)
        {
            // The key stays; only the named values the script gave it go.
            for (const CRegistryScript::CValue& value : key.values)
            {
                const LSTATUS nDelete = RegDeleteValueW(hKey, value.strName.c_str());
                if (nDelete != ERROR_SUCCESS && !IsGone(nDelete))
                    return FromStatus(nDelete);
            }
            return S_OK;
        }
        if (FAILED(hr = FromStatus(RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, &nSubkeys,
                                                    nullptr, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr))))
            return hr;
    }
    // A plain key that still holds keys of someone else's stays, with them.
    if (nSubkeys != 0)
        return S_OK;
    const LSTATUS nStatus = RegDeleteKeyW(hParent, key.strName.c_str());
    return IsGone(nStatus) ? S_OK : FromStatus(nStatus);
}
} // namespace

bool CRegistryScript::Parse(const std::wstring& strText, const CReplacements& replacements)
{
    m_roots.clear();
    std::vector<CToken> tokens;
    std::vector<CRoot> roots;
    if (!Tokenize(strText, replacements, tokens) || !CParser(tokens).ParseScript(roots))
        return false;
    m_roots = std::move(roots);
    return true;
}

HRESULT CRegistryScript::Load(HINSTANCE hModule, UINT nResourceId,
                              const CReplacements& replacements)
{
    const HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nResourceId), kResourceType);
    if (!hResource)
        return HRESULT_FROM_WIN32(GetLastError());
    const HGLOBAL hData = LoadResource(hModule, hResource);
    const DWORD nBytes = SizeofResource(hModule, hResource);
    const char* pBytes = hData ? static_cast<const char*>(LockResource(hData)) : nullptr;
    if (!pBytes)
        return HRESULT_FROM_WIN32(GetLastError());

    std::wstring strText;
    if (nBytes > 0)
    {
        const int nChars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pBytes,
                                               static_cast<int>(nBytes), nullptr, 0);
        if (nChars <= 0)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        strText.resize(static_cast<size_t>(nChars));
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pBytes, static_cast<int>(nBytes),
                            &strText[0], nChars);
    }
    return Parse(strText, replacements) ? S_OK : HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
}

HRESULT CRegistryScript::Register() const
{
    for (const CRoot& root : m_roots)
    {
        for (const CKey& key : root.keys)
        {
            const HRESULT hr = RegisterKey(root.hRoot, key);
            if (FAILED(hr))
                return hr;
        }
    }
    return S_OK;
}

HRESULT CRegistryScript::Unregister() const
{
    for (const CRoot& root : m_roots)
    {
        for (const CKey& key : root.keys)
        {
            const HRESULT hr = UnregisterKey(root.hRoot, key);
            if (FAILED(hr))
                return hr;
        }
    }
    return S_OK;
}
