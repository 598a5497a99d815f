#include "platform/PowerStatus.h"

#include <cstring>

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* pStatus, DWORD dwLen, BOOL /*fUpdate*/)
{
    if (pStatus == nullptr || dwLen < sizeof(SYSTEM_POWER_STATUS_EX2))
        return 0;

    SYSTEM_POWER_STATUS sps{};
    if (!GetSystemPowerStatus(&sps))
        return 0;

    SYSTEM_POWER_STATUS_EX2 ex{};
    ex.ACLineStatus = sps.ACLineStatus;
    ex.BatteryFlag = sps.BatteryFlag;
    ex.BatteryLifePercent = sps.BatteryLifePercent;
    ex.BatteryLifeTime = sps.BatteryLifeTime;
    ex.BatteryFullLifeTime = sps.BatteryFullLifeTime;
    ex.BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
    ex.BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
    ex.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    ex.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    std::memcpy(pStatus, &ex, sizeof ex);
    return sizeof ex;
}
