#include "platform/Entry.h"

#include <new>

#include "app/Startup.h"
#include "display/LineDrawer.h"
#include "res/resource.h"
#include "settings/Config.h"

namespace {

// The drawer, then the store, exist before WinMain runs; a failed allocation
// leaves its pointer null, which start-up then refuses to run with.
struct CStaticObjects
{
    CStaticObjects()
    {
        g_pLineDrawer = new (std::nothrow) CLineDrawer;
        g_pConfig = new (std::nothrow) CConfig;
    }
} s_objects;

} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int nCmdShow)
{
    if (!InitInstance(hInstance, nCmdShow))
        return 0;
    HACCEL hAccel = LoadAcceleratorsW(hInstance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    // The dialog's end has already posted the quit message this loop ends on.
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0))
    {
        if (!TranslateAcceleratorW(msg.hwnd, hAccel, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
