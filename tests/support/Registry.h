// The real registry under the program's own key, as the tests set and read it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace registry {

extern const wchar_t kKeyPath[];

// What stored() gives for a value that is missing or not a REG_DWORD.
constexpr DWORD kMissing = 0xDEADBEEF;

// Removes the key with all its values.
void deleteKey();
bool keyExists();
// Reads a REG_DWORD value; false when it is missing or of another form.
bool readDword(const wchar_t* pszName, DWORD* pdwValue);
// A stored REG_DWORD, or kMissing.
DWORD stored(const wchar_t* pszName);
void writeDword(const wchar_t* pszName, DWORD dwValue);
void writeRaw(const wchar_t* pszName, DWORD dwType, const void* pData, DWORD cbData);
void deleteValue(const wchar_t* pszName);
std::vector<std::wstring> valueNames();

} // namespace registry

// Gives each test a key of its own: removed before and after.
#include <gtest/gtest.h>
class CFreshKeyTest : public ::testing::Test
{
protected:
    void SetUp() override { registry::deleteKey(); }
    void TearDown() override { registry::deleteKey(); }
};
