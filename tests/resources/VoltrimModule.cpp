#include "tests/resources/VoltrimModule.h"

#include <cstring>

const wchar_t kVoltrimExe[] = L"" VOLTRIM_EXE;

namespace {

BOOL CALLBACK collectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD wLanguage, LONG_PTR lParam)
{
    reinterpret_cast<std::vector<WORD>*>(lParam)->push_back(wLanguage);
    return TRUE;
}

} // namespace

CVoltrimModule::CVoltrimModule()
    : m_hModule(LoadLibraryExW(kVoltrimExe, nullptr, LOAD_LIBRARY_AS_DATAFILE))
{
}

CVoltrimModule::~CVoltrimModule()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
}

const BYTE* CVoltrimModule::data(LPCWSTR pszType, WORD wId, WORD wLanguage) const
{
    HRSRC hRes = FindResourceExW(m_hModule, pszType, MAKEINTRESOURCEW(wId), wLanguage);
    if (!hRes)
        return nullptr;
    return static_cast<const BYTE*>(LockResource(LoadResource(m_hModule, hRes)));
}

std::vector<BYTE> CVoltrimModule::bytes(LPCWSTR pszType, WORD wId, WORD wLanguage) const
{
    HRSRC hRes = FindResourceExW(m_hModule, pszType, MAKEINTRESOURCEW(wId), wLanguage);
    if (!hRes)
        return {};
    const BYTE* pb = data(pszType, wId, wLanguage);
    return std::vector<BYTE>(pb, pb + SizeofResource(m_hModule, hRes));
}

std::vector<WORD> CVoltrimModule::languages(LPCWSTR pszType, WORD wId) const
{
    std::vector<WORD> result;
    EnumResourceLanguagesW(m_hModule, pszType, MAKEINTRESOURCEW(wId), collectLanguage,
                           reinterpret_cast<LONG_PTR>(&result));
    return result;
}
