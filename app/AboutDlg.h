// The About box's dialog procedure, run with dialog template IDD_ABOUT.
#pragma once
#include <windows.h>

// Handles the About box: OK (IDOK, whatever the notification code) closes it
// with 1; every other command, Esc's IDCANCEL included, leaves it up.
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
