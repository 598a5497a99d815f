// The settings dialog: the program's only window and whole user interface.
#pragma once
#include <windows.h>

#include "platform/Shell.h"

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Runs the settings dialog to its end; -1 when it could not be created.
INT_PTR runMainDialog();

// The shell's activation record of the settings dialog.
extern SHACTIVATEINFO g_sai;
// The program's instance, whose resources hold the dialog templates.
extern HINSTANCE g_hInst;
