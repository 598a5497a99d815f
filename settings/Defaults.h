// What the store gives for a setting that is missing or 0, and the range of
// refresh periods that the settings dialog offers.
#pragma once
#include <windows.h>

constexpr DWORD kDefaultSpeedMs = 600;
constexpr COLORREF kDefaultColour = RGB(255, 0, 0);

constexpr DWORD kMinSpeedMs = 100;
constexpr DWORD kMaxSpeedMs = 2000;

// A period as the program waits it: anything outside the dialog's range can
// only come from an edit of the registry, and must neither spin nor hang.
constexpr DWORD boundedPeriod(DWORD dwPeriodMs)
{
    return dwPeriodMs < kMinSpeedMs ? kMinSpeedMs : (dwPeriodMs > kMaxSpeedMs ? kMaxSpeedMs : dwPeriodMs);
}
