// The Pocket PC shell's activation helpers, for a dialog that is the
// program's only window.
#pragma once
#include <windows.h>

struct SHACTIVATEINFO
{
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};

// Records activation in *psai; the desktop has no input panel to restore.
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* psai, DWORD dwFlags);

// The input panel's setting changes; nothing to follow on the desktop.
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* psai);
