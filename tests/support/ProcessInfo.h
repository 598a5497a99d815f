// What another process holds, measured from outside it. Wine answers neither
// GetGuiResources nor GetProcessHandleCount for another process (the first
// fails with ERROR_CALL_NOT_IMPLEMENTED, the second reports 0), so the counts
// come from the system's handle list and from the process's own GDI handle
// table, which both Windows and Wine map at the address its PEB names.
#pragma once
#include <windows.h>

namespace processinfo {

struct CSample
{
    int nHandles = -1;    // kernel handles the process holds
    int nGdiObjects = -1; // its GDI objects, stock objects left out
    int nThreads = -1;    // Wine's own threads of the process included
    int nWorkers = -1;
    SIZE_T cbWorkingSet = 0;
    SIZE_T cbPeakWorkingSet = 0;
    SIZE_T cbPrivate = 0; // committed private memory
};

// -1 when the count cannot be had.
int handleCount(DWORD dwProcessId);
int gdiObjectCount(HANDLE hProcess);
int threadCount(DWORD dwProcessId);
// The threads that the program itself started: those that begin inside its
// own image but not at its entry. Wine's own threads begin in its libraries,
// so this counts the display's workers whatever the Wine version runs.
int workerCount(HANDLE hProcess, DWORD dwProcessId);
CSample sample(HANDLE hProcess, DWORD dwProcessId);

} // namespace processinfo
