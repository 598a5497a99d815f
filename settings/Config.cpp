#include "settings/Config.h"

#include "settings/Defaults.h"

#include <optional>

CConfig* g_pConfig = nullptr;
std::atomic<COLORREF> g_crColour{0};

namespace {

const wchar_t kKeyPath[] = L"Software\\Orvane\\Voltrim";

// Serialises the read-and-record of "Actif" with the other instances' writes.
const wchar_t kActifMutexName[] = L"Orvane.Voltrim.Actif";
const DWORD kActifMutexWaitMs = 5000;

// Holds the instances' "Actif" lock for one read-and-record; a lock that
// cannot be had in time (an instance hung while holding it) is gone without.
class CActifLock
{
public:
    CActifLock() : m_hMutex(CreateMutexW(nullptr, FALSE, kActifMutexName))
    {
        if (m_hMutex != nullptr)
        {
            const DWORD dwWait = WaitForSingleObject(m_hMutex, kActifMutexWaitMs);
            m_bOwned = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
        }
    }
    ~CActifLock()
    {
        if (m_bOwned)
            ReleaseMutex(m_hMutex);
        if (m_hMutex != nullptr)
            CloseHandle(m_hMutex);
    }
    CActifLock(const CActifLock&) = delete;
    CActifLock& operator=(const CActifLock&) = delete;

private:
    HANDLE m_hMutex;
    bool m_bOwned = false;
};

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

// One whole accessor sequence: holds the store's lock, and once the lock is
// let go reports the writes that failed, so that no box ever waits for the
// user while the other thread needs the store.
class CConfig::CAccess
{
public:
    enum class Scope { value, actif };

    explicit CAccess(CConfig& rConfig, Scope scope = Scope::value) : m_rConfig(rConfig)
    {
        // Always the instances' lock first, then the store's own.
        if (scope == Scope::actif)
            m_actifLock.emplace();
        m_lock = std::unique_lock<std::mutex>(rConfig.m_mtxAccess);
    }
    ~CAccess()
    {
        unsigned nFailed = m_rConfig.m_nFailedWrites;
        m_rConfig.m_nFailedWrites = 0;
        m_lock.unlock();
        m_actifLock.reset();
        for (; nFailed > 0; --nFailed)
            showWriteFailure();
    }
    CAccess(const CAccess&) = delete;
    CAccess& operator=(const CAccess&) = delete;

private:
    CConfig& m_rConfig;
    std::optional<CActifLock> m_actifLock;
    std::unique_lock<std::mutex> m_lock;
};

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
    CAccess access(*this);
    m_strValueName = pszName;
    rdwMember = getWord(m_strValueName);
    return rdwMember;
}

DWORD CConfig::setNamed(const char* pszName, DWORD& rdwMember, DWORD dwValue)
{
    CAccess access(*this);
    rdwMember = dwValue;
    m_strValueName = pszName;
    setWord(m_strValueName, dwValue);
    return 1;
}

DWORD CConfig::getActif() { return getNamed("Actif", m_dwActif); }

DWORD CConfig::setActif(DWORD dwActif)
{
    CAccess access(*this, CAccess::Scope::actif);
    m_dwActif = dwActif;
    m_strValueName = "Actif";
    setWord(m_strValueName, dwActif);
    return 1;
}

DWORD CConfig::claimActif()
{
    CAccess access(*this, CAccess::Scope::actif);
    m_strValueName = "Actif";
    m_dwActif = getWord(m_strValueName);
    if (m_dwActif != 0)
        setWord(m_strValueName, 0);
    return m_dwActif;
}

DWORD CConfig::confirmActifOff()
{
    CAccess access(*this, CAccess::Scope::actif);
    m_strValueName = "Actif";
    m_dwActif = getWord(m_strValueName);
    if (m_dwActif == 0)
        setWord(m_strValueName, 0);
    return m_dwActif;
}

DWORD CConfig::getBlink() { return getNamed("Blink", m_dwBlink); }

DWORD CConfig::setBlink(DWORD dwBlink) { return setNamed("Blink", m_dwBlink, dwBlink); }

DWORD CConfig::getDot() { return getNamed("Dot", m_dwDot); }

DWORD CConfig::setDot(DWORD dwDot) { return setNamed("Dot", m_dwDot, dwDot); }

DWORD CConfig::getPosition() { return getNamed("Position", m_dwPosition); }

DWORD CConfig::setPosition(DWORD dwPosition) { return setNamed("Position", m_dwPosition, dwPosition); }

DWORD CConfig::getSpeed()
{
    CAccess access(*this);
    m_strValueName = "Speed";
    m_dwSpeed = getWord(m_strValueName);
    if (m_dwSpeed == 0)
        m_dwSpeed = kDefaultSpeedMs;
    return m_dwSpeed;
}

DWORD CConfig::setSpeed(DWORD dwSpeed) { return setNamed("Speed", m_dwSpeed, dwSpeed); }

COLORREF CConfig::getCouleur()
{
    CAccess access(*this);
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
    CAccess access(*this);
    m_strValueName = "Couleur";
    return setWord(m_strValueName, crCouleur);
}
