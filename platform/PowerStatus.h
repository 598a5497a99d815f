// The handheld's extended power status: its record and the call that fills it.
#pragma once
#include <windows.h>

#ifndef BATTERY_PERCENTAGE_UNKNOWN
#define BATTERY_PERCENTAGE_UNKNOWN 0xFF
#endif

struct SYSTEM_POWER_STATUS_EX2
{
    BYTE ACLineStatus;
    BYTE BatteryFlag;
    BYTE BatteryLifePercent;
    BYTE Reserved1;
    DWORD BatteryLifeTime;
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;
    BYTE BackupBatteryLifePercent;
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
    DWORD BatteryVoltage;
    DWORD BatteryCurrent;
    DWORD BatteryAverageCurrent;
    DWORD BatteryAverageInterval;
    DWORD BatterymAHourConsumed;
    DWORD BatteryTemperature;
    DWORD BackupBatteryVoltage;
    BYTE BatteryChemistry;
};

// Fills *pStatus (dwLen bytes of it at most) and returns the number of bytes
// filled, 0 on failure. fUpdate asks the driver for a fresh reading; the
// desktop always reports its current status.
DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* pStatus, DWORD dwLen, BOOL fUpdate);
