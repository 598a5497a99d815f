#include "tests/support/FakePower.h"

#include <atomic>

#include "platform/PowerStatus.h"

namespace {
std::atomic<BYTE> g_byFakeLevel{50};
std::atomic<long> g_nFakeReadings{0};
std::atomic<void (*)()> g_pfnObserver{nullptr};
} // namespace

namespace fakepower {
void setLevel(BYTE byPercent) { g_byFakeLevel = byPercent; }
BYTE level() { return g_byFakeLevel; }
long readings() { return g_nFakeReadings; }
void resetReadings() { g_nFakeReadings = 0; }
void setObserver(void (*pfnObserver)()) { g_pfnObserver = pfnObserver; }
} // namespace fakepower

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* pStatus, DWORD dwLen, BOOL /*fUpdate*/)
{
    ++g_nFakeReadings;
    if (void (*pfnObserver)() = g_pfnObserver)
        pfnObserver();
    if (pStatus == nullptr || dwLen < sizeof(SYSTEM_POWER_STATUS_EX2))
        return 0;
    *pStatus = SYSTEM_POWER_STATUS_EX2();
    pStatus->ACLineStatus = AC_LINE_OFFLINE;
    pStatus->BatteryLifePercent = g_byFakeLevel;
    return sizeof(SYSTEM_POWER_STATUS_EX2);
}
