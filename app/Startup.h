// Start-up of the program once its drawer and store exist.
#pragma once
#include <windows.h>

// Runs the settings dialog to its end. FALSE when there is nothing to run it
// with (no drawer, no store, or a dialog that cannot be created): the caller
// then ends at once, as no quit message will come.
BOOL InitInstance(HINSTANCE hInstance, int nCmdShow);

// The value the settings dialog ended with; 0 while it runs.
extern int g_nDlgResult;
