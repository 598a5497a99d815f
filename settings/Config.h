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

    // Several accesses taken as one step: the store is held from the first
    // to the last, and a write that failed in them is reported once the
    // batch is over, so that no box waits for the user while the store, or
    // a lock taken inside the batch, is held. Every accessor is a batch of
    // its own; batches nest on one thread.
    class CBatch
    {
    public:
        explicit CBatch(CConfig& rConfig);
        ~CBatch();
        CBatch(const CBatch&) = delete;
        CBatch& operator=(const CBatch&) = delete;

    private:
        CConfig& m_rConfig;
        std::unique_lock<std::recursive_mutex> m_lock;
    };

private:
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

    // One batch at a time: the value name and key handle above belong to it.
    std::recursive_mutex m_mtxAccess;
    // Depth of the batches under way on the thread that holds the store.
    unsigned m_nBatchDepth = 0;
    // Writes that failed during the batch under way, reported once it is over.
    unsigned m_nFailedWrites = 0;
};

// The one store of the program; null until start-up has created it.
extern CConfig* g_pConfig;

// The line colour last read from the store or chosen by the user.
extern std::atomic<COLORREF> g_crColour;
