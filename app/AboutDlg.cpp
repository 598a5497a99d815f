#include "app/AboutDlg.h"
INT_PTR CALLBACK AboutDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
