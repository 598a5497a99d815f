// The display worker, which keeps the line up to date once a refresh period,
// and the watchdog, which ends the instance when "Actif" reads 0.
#pragma once
#include <windows.h>

#include <atomic>

// Nonzero while workers are to go on; 1 at process start.
extern std::atomic<int> g_bRunning;
// The refresh period in force, in milliseconds.
extern std::atomic<DWORD> g_nSpeed;

// How often this instance has switched its own display off. The dialog counts
// each of its stops before it records "Actif" = 0, so a worker that reads 0
// with the count unchanged since it started knows that the 0 came from
// another instance taking the display over.
extern std::atomic<unsigned> g_nOwnStops;

// Set when the instance ends because another cleared "Actif": its end must
// then not record 0 over the 1 that the other instance records meanwhile.
extern std::atomic<bool> g_bTakenOver;

// The thread that runs the settings dialog, to which a worker that finds the
// display taken over posts the quit message that ends the instance.
extern std::atomic<DWORD> g_dwDialogThreadId;

// Identifier and period of the watchdog timer on the settings dialog.
constexpr UINT_PTR kWatchTimerId = 999;
constexpr UINT kWatchTimerMs = 1000;

DWORD WINAPI LineThreadProc(LPVOID pParam);
void CALLBACK WatchTimerProc(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);
