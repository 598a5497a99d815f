#include "platform/CString.h"

namespace {

// 8-bit text is taken as the system's code page, as the handheld's runtime does.
std::wstring widen(const char* psz)
{
    if (psz == nullptr || *psz == '\0')
        return std::wstring();
    const int cch = MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (cch <= 1)
        return std::wstring();
    std::wstring str(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_ACP, 0, psz, -1, &str[0], cch);
    str.resize(static_cast<size_t>(cch - 1));
    return str;
}

} // namespace

CString::CString(LPCWSTR psz) : m_str(psz != nullptr ? psz : L"") {}

CString::CString(const char* psz) : m_str(widen(psz)) {}

CString& CString::operator=(LPCWSTR psz)
{
    m_str = psz != nullptr ? psz : L"";
    return *this;
}

CString& CString::operator=(const char* psz)
{
    m_str = widen(psz);
    return *this;
}
