// The small string class of the handheld's runtime that the store uses:
// UTF-16 text, converted on assignment from an 8-bit string.
#pragma once
#include <windows.h>

#include <string>

class CString
{
public:
    CString() = default;
    CString(LPCWSTR psz);
    CString(const char* psz);

    CString& operator=(LPCWSTR psz);
    CString& operator=(const char* psz);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    operator LPCWSTR() const { return m_str.c_str(); }

private:
    std::wstring m_str;
};
