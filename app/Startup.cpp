#include "app/Startup.h"

#include <commctrl.h>

#include "app/MainDlg.h"
#include "display/LineDrawer.h"
#include "settings/Config.h"

int g_nDlgResult = 0;

namespace {

// Releases whichever of the drawer and the store exists.
void releaseObjects()
{
    delete g_pLineDrawer;
    g_pLineDrawer = nullptr;
    delete g_pConfig;
    g_pConfig = nullptr;
}

} // namespace

BOOL InitInstance(HINSTANCE hInstance, int /*nCmdShow*/)
{
    g_hInst = hInstance;
    if (g_pLineDrawer == nullptr || g_pConfig == nullptr)
    {
        releaseObjects();
        return FALSE;
    }
    // The speed slider's window class.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    const INT_PTR nResult = runMainDialog();
    if (nResult == -1)
        return FALSE;
    g_nDlgResult = static_cast<int>(nResult);
    return TRUE;
}
