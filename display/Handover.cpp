#include "display/Handover.h"

#include <atomic>

#include "display/LineThread.h"
#include "settings/Config.h"
#include "settings/Defaults.h"

namespace handover {

namespace {

// Serialises a read of "Actif" and its record with the other instances'.
const wchar_t kActifMutexName[] = L"Orvane.Voltrim.Actif";
// A lock that cannot be had in time (an instance hung while holding it) is
// gone without.
const DWORD kActifMutexWaitMs = 5000;

// What the claim holds "Actif" at 0 beyond one period: a drawing instance
// reads it once a cycle, and a cycle lasts its period plus the time of its
// own calls, which a 1 ms margin would not cover.
const DWORD kPauseMarginMs = 250;

// The dialog's own stops: counted as begun before their 0 is recorded, and
// as overwritten once a later 1 is recorded.
std::atomic<unsigned> g_nStopsBegun{0};
std::atomic<unsigned> g_nStopsOverwritten{0};
std::atomic<bool> g_bTakenOver{false};
std::atomic<bool> g_bEnding{false};
std::atomic<DWORD> g_dwDialogThreadId{0};

class CInstancesLock
{
public:
    CInstancesLock() : m_hMutex(CreateMutexW(nullptr, FALSE, kActifMutexName))
    {
        if (m_hMutex != nullptr)
        {
            const DWORD dwWait = WaitForSingleObject(m_hMutex, kActifMutexWaitMs);
            m_bOwned = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
        }
    }
    ~CInstancesLock()
    {
        if (m_bOwned)
            ReleaseMutex(m_hMutex);
        if (m_hMutex != nullptr)
            CloseHandle(m_hMutex);
    }
    CInstancesLock(const CInstancesLock&) = delete;
    CInstancesLock& operator=(const CInstancesLock&) = delete;

private:
    HANDLE m_hMutex;
    bool m_bOwned = false;
};

// Records "Actif" = 0 only while it still reads 0.
void confirmOff()
{
    // The batch outlives the lock: a failed write is reported after both.
    CConfig::CBatch batch(*g_pConfig);
    CInstancesLock lock;
    if (g_pConfig->getActif() == 0)
        g_pConfig->setActif(0);
}

} // namespace

void open()
{
    g_dwDialogThreadId = GetCurrentThreadId();
    g_bTakenOver = false;
    g_bEnding = false;
}

DWORD claim()
{
    CConfig::CBatch batch(*g_pConfig);
    CInstancesLock lock;
    const DWORD dwActif = g_pConfig->getActif();
    if (dwActif != 0)
        g_pConfig->setActif(0);
    return dwActif;
}

DWORD pauseMs(DWORD dwPeriodMs) { return boundedPeriod(dwPeriodMs) + 1 + kPauseMarginMs; }

void recordOn()
{
    {
        CConfig::CBatch batch(*g_pConfig);
        CInstancesLock lock;
        g_pConfig->setActif(1);
    }
    g_nStopsOverwritten = g_nStopsBegun.load();
}

void recordOff()
{
    ++g_nStopsBegun;
    g_pConfig->setActif(0);
}

void recordEnd()
{
    if (g_bTakenOver)
        confirmOff();
    else
        recordOff();
}

bool ending() { return g_bEnding; }

void markEnding() { g_bEnding = true; }

void yieldDisplay()
{
    g_bTakenOver = true;
    g_bEnding = true;
    confirmOff();
}

CWorkerWatch::CWorkerWatch() : m_nStopsSeen(g_nStopsOverwritten) {}

bool CWorkerWatch::displayStillOn()
{
    if (g_pConfig->getActif() != 0)
    {
        m_nStopsSeen = g_nStopsOverwritten;
        return true;
    }
    if (g_nStopsBegun != m_nStopsSeen)
    {
        // This instance's own stop. Its dialog has cleared g_bRunning already;
        // clearing it here could stop a worker that a tick started since.
        confirmOff();
        return false;
    }
    g_bRunning = 0;
    yieldDisplay();
    // By thread, not by window: no global holds the dialog. Every nested
    // modal loop ends on the quit and posts it on to the loop around it.
    PostThreadMessageW(g_dwDialogThreadId, WM_QUIT, 0, 0);
    return false;
}

} // namespace handover
