#include "app/AboutDlg.h"

namespace {

// Lets the dialog manager put the focus on the first tab stop, the OK button.
INT_PTR onInitDialog()
{
    return TRUE;
}

// Closes the box on IDOK alone: the notification code is not looked at, and
// IDCANCEL (Esc) must not close it.
INT_PTR onCommand(HWND hDlg, WPARAM wParam)
{
    if (LOWORD(wParam) != IDOK)
        return FALSE;
    EndDialog(hDlg, 1);
    return TRUE;
}

} // namespace

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        return onInitDialog();
    case WM_COMMAND:
        return onCommand(hDlg, wParam);
    default:
        return FALSE;
    }
}
