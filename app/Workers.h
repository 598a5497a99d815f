// The display workers that the settings dialog starts, counted so that the
// program's end can let them finish before it releases what they use.
#pragma once
#include <windows.h>

// Starts one worker running LineThreadProc; its thread handle is released at
// once.
void startWorker();

// Waits at most dwTimeoutMs for every worker started so far to end; true
// when none is left.
bool waitForWorkers(DWORD dwTimeoutMs);
