#include "settings/Config.h"

#include "settings/Defaults.h"

CConfig* g_pConfig = nullptr;
std::atomic<COLORREF> g_crColour{0};

namespace {

const wchar_t kKeyPath[] = L"Software\\Orvane\\Voltrim";

// Closes the access's key on every path, and only when it was opened.
class CKeyCloser
{
public:
    CKeyCloser(HKEY& rhKey, bool bOpened) : m_rhKey(rhKey), m_bOpened(bOpened) {}
    ~CKeyCloser()
    {
        if (m_bOpened)
            RegCloseKey(m_rhKey);
        m_rhKey = nullptr;
    }
    CKeyCloser(const CKeyCloser&) = delete;
    CKeyCloser& operator=(const CKeyCloser&) = delete;

private:
    HKEY& m_rhKey;
    bool m_bOpened;
};

void showWriteFailure()
{
    MessageBoxW(nullptr, L"<< DWORD >> Not Set!", L"CConfig::setWord", MB_OK | MB_ICONINFORMATION);
}

} // namespace

CConfig::CBatch::CBatch(CConfig& rConfig) : m_rConfig(rConfig), m_lock(rConfig.m_mtxAccess)
{
    ++m_rConfig.m_nBatchDepth;
}

CConfig::CBatch::~CBatch()
{
    if (--m_rConfig.m_nBatchDepth != 0)
        return;
    unsigned nFailed = m_rConfig.m_nFailedWrites;
    m_rConfig.m_nFailedWrites = 0;
    m_lock.unlock();
    for (; nFailed > 0; --nFailed)
        showWriteFailure();
}

CConfig::CConfig() : m_strKeyPath(kKeyPath) {}

CConfig::CConfig(LPCWSTR pszKeyPath) : m_strKeyPath(pszKeyPath) {}

CConfig::~CConfig() = default;

bool CConfig::openKey()
{
    DWORD dwDisposition = 0;
    // Both rights are asked for: a registry that grants only what is asked
    // would refuse the write through a key opened for nothing in particular.
    return RegCreateKeyExW(HKEY_CURRENT_USER, m_strKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                           nullptr, &m_hKey, &dwDisposition) == ERROR_SUCCESS;
}

DWORD CConfig::getWord(const CString& strName)
{
    DWORD dwType = REG_DWORD;
    DWORD cbData = sizeof(DWORD);
    DWORD dwValue = 0;
    const bool bOpened = openKey();
    CKeyCloser closer(m_hKey, bOpened);
    if (!bOpened)
        return 0;
    const LONG lResult =
        RegQueryValueExW(m_hKey, strName, nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue), &cbData);
    // Anything but a 4-byte DWORD reads as a missing value: the buffer of a
    // query that failed, or was given another type, is not to be trusted.
    if (lResult != ERROR_SUCCESS || dwType != REG_DWORD || cbData != sizeof(DWORD))
        return 0;
    return dwValue;
}

DWORD CConfig::setWord(const CString& strName, DWORD dwValue)
{
    const bool bOpened = openKey();
    CKeyCloser closer(m_hKey, bOpened);
    const bool bWritten = bOpened &&
                          RegSetValueExW(m_hKey, strName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue),
                                         sizeof(DWORD)) == ERROR_SUCCESS;
    if (!bWritten)
        ++m_nFailedWrites;
    return dwValue;
}

DWORD CConfig::getNamed(const char* pszName, DWORD& rdwMember)
{
    CBatch batch(*this);
    m_strValueName = pszName;
    rdwMember = getWord(m_strValueName);
    return rdwMember;
}

DWORD CConfig::setNamed(const char* pszName, DWORD& rdwMember, DWORD dwValue)
{
    CBatch batch(*this);
    rdwMember = dwValue;
    m_strValueName = pszName;
    setWord(m_strValueName, dwValue);
    return 1;
}

DWORD CConfig::getActif() { return getNamed("Actif", m_dwActif); }

DWORD CConfig::setActif(DWORD dwActif) { return setNamed("Actif", m_dwActif, dwActif); }

DWORD CConfig::getBlink() { return getNamed("Blink", m_dwBlink); }

DWORD CConfig::setBlink(DWORD dwBlink) { return setNamed("Blink", m_dwBlink, dwBlink); }

DWORD CConfig::getDot() { return getNamed("Dot", m_dwDot); }

DWORD CConfig::setDot(DWORD dwDot) { return setNamed("Dot", m_dwDot, dwDot); }

DWORD CConfig::getPosition() { return getNamed("Position", m_dwPosition); }

DWORD CConfig::setPosition(DWORD dwPosition) { return setNamed("Position", m_dwPosition, dwPosition); }

DWORD CConfig::getSpeed()
{
    CBatch batch(*this);
    m_strValueName = "Speed";
    m_dwSpeed = getWord(m_strValueName);
    if (m_dwSpeed == 0)
        m_dwSpeed = kDefaultSpeedMs;
    return m_dwSpeed;
}

DWORD CConfig::setSpeed(DWORD dwSpeed) { return setNamed("Speed", m_dwSpeed, dwSpeed); }

COLORREF CConfig::getCouleur()
{
    CBatch batch(*this);
    m_strValueName = "Couleur";
    const COLORREF crStored = getWord(m_strValueName);
    // Black would be invisible on the black of an erased edge. The global
    // takes the final colour at once, never a passing 0.
    g_crColour = crStored != 0 ? crStored : kDefaultColour;
    if (crStored != 0)
        return crStored;
    m_strValueName = "Couleur";
    setWord(m_strValueName, kDefaultColour);
    return kDefaultColour;
}

COLORREF CConfig::setCouleur(COLORREF crCouleur)
{
    CBatch batch(*this);
    m_strValueName = "Couleur";
    return setWord(m_strValueName, crCouleur);
}
