#include "app/Workers.h"

#include <atomic>

#include "display/LineThread.h"

namespace {

// Workers started and not yet returned. Only the count is kept, so that each
// thread's handle is released at once and none is held after its worker ends.
std::atomic<int> g_nLiveWorkers{0};

DWORD WINAPI runWorker(LPVOID pParam)
{
    const DWORD dwResult = LineThreadProc(pParam);
    // The worker's last step: nothing of the program is used after it.
    --g_nLiveWorkers;
    return dwResult;
}

} // namespace

void startWorker()
{
    ++g_nLiveWorkers;
    HANDLE hThread = CreateThread(nullptr, 0, runWorker, nullptr, 0, nullptr);
    if (hThread == nullptr)
    {
        --g_nLiveWorkers;
        return;
    }
    CloseHandle(hThread);
}

bool waitForWorkers(DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    while (g_nLiveWorkers != 0)
    {
        // Unsigned difference: right across the tick count's wrap-around.
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}
