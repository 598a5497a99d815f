// The settings store: every setting is one REG_DWORD value under
// HKEY_CURRENT_USER\Software\Orvane\Voltrim, read and written at the moment
// it is used.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>

#include "platform/CString.h"

class CConfig
{
public:
    CConfig();
    explicit CConfig(LPCWSTR pszKeyPath);
    virtual ~CConfig();

    CConfig(const CConfig&) = delete;
    CConfig& operator=(const CConfig&) = delete;

    DWORD getActif();
    DWORD setActif(DWORD dwActif);
    DWORD getBlink();
    DWORD setBlink(DWORD dwBlink);
    DWORD getDot();
    DWORD setDot(DWORD dwDot);
    DWORD getPosition();
    DWORD setPosition(DWORD dwPosition);
    DWORD getSpeed();
    DWORD setSpeed(DWORD dwSpeed);
    COLORREF getCouleur();
    COLORREF setCouleur(COLORREF crCouleur);

    // The start of a takeover: reads "Actif" and, when it is set, records 0,
    // in one step as far as the other instances are concerned, so that of two
    // instances starting together only one takes the display over. Returns
    // the value read.
    DWORD claimActif();

    // The stop paths' "Actif" = 0: recorded only while "Actif" still reads 0,
    // so that a 1 recorded meanwhile by a starting instance is never
    // overwritten. Returns the value found.
    DWORD confirmActifOff();

private:
    class CAccess;

    bool openKey();
    DWORD getWord(const CString& strName);
    DWORD setWord(const CString& strName, DWORD dwValue);

    DWORD getNamed(const char* pszName, DWORD& rdwMember);
    DWORD setNamed(const char* pszName, DWORD& rdwMember, DWORD dwValue);

    DWORD m_dwActif = 0;
    DWORD m_dwBlink = 0;
    DWORD m_dwDot = 0;
    DWORD m_dwPosition = 0;
    HKEY m_hKey = nullptr;
    CString m_strValueName;
    CString m_strKeyPath;
    DWORD m_dwSpeed = 0;

    // One access at a time: the value name and key handle above belong to it.
    std::mutex m_mtxAccess;
    // Writes that failed during the access under way, reported once it is over.
    unsigned m_nFailedWrites = 0;
};

// The one store of the program; null until start-up has created it.
extern CConfig* g_pConfig;

// The line colour last read from the store or chosen by the user.
extern std::atomic<COLORREF> g_crColour;
