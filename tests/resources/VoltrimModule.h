// The built program opened as a data file, so that its resources can be read
// back with the platform's own calls without running it.
#pragma once
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

// Path of the built Voltrim.exe, as Wine sees it.
extern const wchar_t kVoltrimExe[];

class CVoltrimModule
{
public:
    CVoltrimModule();
    ~CVoltrimModule();
    CVoltrimModule(const CVoltrimModule&) = delete;
    CVoltrimModule& operator=(const CVoltrimModule&) = delete;

    HMODULE handle() const { return m_hModule; }
    // The bytes of one resource in one language; empty when it is missing.
    std::vector<BYTE> bytes(LPCWSTR pszType, WORD wId, WORD wLanguage) const;
    // The same resource in memory, as LoadResource leaves it; null when missing.
    const BYTE* data(LPCWSTR pszType, WORD wId, WORD wLanguage) const;
    // Every language in which the resource exists.
    std::vector<WORD> languages(LPCWSTR pszType, WORD wId) const;

private:
    HMODULE m_hModule;
};

// Little-endian reads from resource bytes, which are not always aligned.
template <typename T>
T readAt(const BYTE* pb, size_t cbOffset)
{
    T value;
    memcpy(&value, pb + cbOffset, sizeof value);
    return value;
}
