#include "tests/support/Registry.h"

namespace registry {

const wchar_t kKeyPath[] = L"Software\\Orvane\\Voltrim";

namespace {

class CKey
{
public:
    explicit CKey(bool bCreate)
    {
        if (bCreate)
            RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hKey, nullptr);
        else
            RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_ALL_ACCESS, &m_hKey);
    }
    ~CKey()
    {
        if (m_hKey != nullptr)
            RegCloseKey(m_hKey);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    HKEY get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

} // namespace

void deleteKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kKeyPath); }

bool keyExists() { return CKey(false).get() != nullptr; }

bool readDword(const wchar_t* pszName, DWORD* pdwValue)
{
    CKey key(false);
    if (key.get() == nullptr)
        return false;
    DWORD dwType = 0;
    DWORD cb = sizeof(DWORD);
    DWORD dw = 0;
    if (RegQueryValueExW(key.get(), pszName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dw), &cb) != ERROR_SUCCESS ||
        dwType != REG_DWORD || cb != sizeof(DWORD))
        return false;
    *pdwValue = dw;
    return true;
}

DWORD stored(const wchar_t* pszName)
{
    DWORD dwValue = kMissing;
    return readDword(pszName, &dwValue) ? dwValue : kMissing;
}

void writeDword(const wchar_t* pszName, DWORD dwValue) { writeRaw(pszName, REG_DWORD, &dwValue, sizeof dwValue); }

void writeRaw(const wchar_t* pszName, DWORD dwType, const void* pData, DWORD cbData)
{
    CKey key(true);
    RegSetValueExW(key.get(), pszName, 0, dwType, static_cast<const BYTE*>(pData), cbData);
}

void deleteValue(const wchar_t* pszName)
{
    CKey key(false);
    if (key.get() != nullptr)
        RegDeleteValueW(key.get(), pszName);
}

std::vector<std::wstring> valueNames()
{
    std::vector<std::wstring> names;
    CKey key(false);
    if (key.get() == nullptr)
        return names;
    for (DWORD i = 0;; ++i)
    {
        wchar_t sz[256];
        DWORD cch = 256;
        if (RegEnumValueW(key.get(), i, sz, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(sz, cch);
    }
    return names;
}

} // namespace registry
