#include "platform/Shell.h"

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM /*lParam*/, SHACTIVATEINFO* psai, DWORD /*dwFlags*/)
{
    if (psai == nullptr)
        return FALSE;
    const bool bActive = LOWORD(wParam) != WA_INACTIVE;
    psai->fActive = bActive ? 1 : 0;
    if (!bActive)
        psai->hwndLastFocus = GetFocus();
    else if (psai->hwndLastFocus != nullptr && IsChild(hwnd, psai->hwndLastFocus))
        SetFocus(psai->hwndLastFocus);
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND /*hwnd*/, WPARAM /*wParam*/, LPARAM /*lParam*/, SHACTIVATEINFO* psai)
{
    return psai != nullptr;
}
