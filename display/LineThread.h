// The display worker, which keeps the line up to date once a refresh period,
// and the watchdog, which ends the instance when "Actif" reads 0.
#pragma once
#include <windows.h>

#include <atomic>

// Nonzero while workers are to go on; 1 at process start.
extern std::atomic<int> g_bRunning;
// The refresh period in force, in milliseconds.
extern std::atomic<DWORD> g_nSpeed;

// Identifier and period of the watchdog timer on the settings dialog.
constexpr UINT_PTR kWatchTimerId = 999;
constexpr UINT kWatchTimerMs = 1000;

DWORD WINAPI LineThreadProc(LPVOID pParam);
void CALLBACK WatchTimerProc(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);
