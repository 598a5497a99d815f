#include "app/Startup.h"

#include <commctrl.h>

#include "app/MainDlg.h"
#include "app/Workers.h"
#include "display/LineDrawer.h"
#include "settings/Config.h"
#include "settings/Defaults.h"

int g_nDlgResult = 0;

namespace {

// How long the end waits for the workers: one cycle of the longest period,
// with room for the cycle's own calls.
constexpr DWORD kWorkerEndWaitMs = kMaxSpeedMs + 500;

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
    // Released once the dialog's modal loop has returned, when no handler of
    // the dialog is left on the stack. A worker still in its cycle uses them
    // too and is let finish first; one that does not end in time keeps both
    // until the process ends.
    if (waitForWorkers(kWorkerEndWaitMs))
        releaseObjects();
    if (nResult == -1)
        return FALSE;
    g_nDlgResult = static_cast<int>(nResult);
    return TRUE;
}
