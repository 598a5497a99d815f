#include "app/Workers.h"

#include <vector>

#include "display/LineThread.h"

namespace {

// Only the dialog's thread starts and waits for workers.
std::vector<HANDLE> g_workers;

// Closes the handles of the workers that have ended, so that switching the
// display on and off for hours keeps no more than the live ones.
void forgetEndedWorkers()
{
    std::vector<HANDLE> live;
    for (HANDLE hThread : g_workers)
    {
        if (WaitForSingleObject(hThread, 0) == WAIT_OBJECT_0)
            CloseHandle(hThread);
        else
            live.push_back(hThread);
    }
    g_workers.swap(live);
}

} // namespace

void startWorker()
{
    forgetEndedWorkers();
    HANDLE hThread = CreateThread(nullptr, 0, LineThreadProc, nullptr, 0, nullptr);
    if (hThread != nullptr)
        g_workers.push_back(hThread);
}

bool waitForWorkers(DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    for (HANDLE hThread : g_workers)
    {
        // Unsigned difference: right across the tick count's wrap-around.
        const DWORD dwElapsed = GetTickCount() - dwStart;
        const DWORD dwLeft = dwElapsed < dwTimeoutMs ? dwTimeoutMs - dwElapsed : 0;
        if (WaitForSingleObject(hThread, dwLeft) != WAIT_OBJECT_0)
            return false;
    }
    forgetEndedWorkers();
    return true;
}
