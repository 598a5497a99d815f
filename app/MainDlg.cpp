#include "app/MainDlg.h"

#include <commctrl.h>

#include "app/AboutDlg.h"
#include "app/Workers.h"
#include "display/Handover.h"
#include "display/LineDrawer.h"
#include "display/LineThread.h"
#include "res/resource.h"
#include "settings/Config.h"
#include "settings/Defaults.h"

SHACTIVATEINFO g_sai;
HINSTANCE g_hInst = nullptr;

namespace {

// The value "E&xit" ends the dialog with.
constexpr INT_PTR kExitResult = IDC_EXIT;

const wchar_t* const kPositionNames[] = {L"Top", L"Bottom", L"Left", L"Right"};

LRESULT sendItem(HWND hDlg, int idControl, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendMessageW(GetDlgItem(hDlg, idControl), uMsg, wParam, lParam);
}

DWORD isChecked(HWND hDlg, int idControl) { return sendItem(hDlg, idControl, BM_GETCHECK) == BST_CHECKED ? 1 : 0; }

void tick(HWND hDlg, int idControl) { sendItem(hDlg, idControl, BM_SETCHECK, BST_CHECKED); }

// The platform's default handling of a message. Its result also becomes the
// dialog's message result: the dialog manager takes a nonzero return as
// "handled" and answers with that word, so a text length or a hit-test code
// would otherwise be lost (a caption drawn without its title, for one).
LRESULT defaultHandling(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = DefWindowProcW(hDlg, uMsg, wParam, lParam);
    if (IsWindow(hDlg))
        SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, lResult);
    return lResult;
}

void startWatchdog(HWND hDlg) { SetTimer(hDlg, kWatchTimerId, kWatchTimerMs, WatchTimerProc); }

// Runs a dialog template of this program modally, with no owner.
INT_PTR runTemplate(int idTemplate, DLGPROC pfnDlgProc)
{
    HRSRC hrsrc = FindResourceW(g_hInst, MAKEINTRESOURCEW(idTemplate), RT_DIALOG);
    HGLOBAL hTemplate = hrsrc != nullptr ? LoadResource(g_hInst, hrsrc) : nullptr;
    if (hTemplate == nullptr)
        return -1;
    return DialogBoxIndirectParamW(g_hInst, static_cast<LPCDLGTEMPLATEW>(LockResource(hTemplate)), nullptr,
                                   pfnDlgProc, 0);
}

// Takes the display over from any instance still drawing, once "Actif" has
// been claimed.
void takeDisplayOver(HWND hDlg)
{
    Sleep(handover::pauseMs(g_nSpeed));
    handover::recordOn();
    if (handover::ending())
        return;
    g_bRunning = 1;
    startWorker();
    startWatchdog(hDlg);
    tick(hDlg, IDC_ACTIVE);
}

// Resets the shell's activation record.
void onCreate()
{
    g_sai = SHACTIVATEINFO();
    g_sai.cbSize = sizeof g_sai;
}

// Shows the stored settings and, if the display was on, takes it over.
void onInitDialog(HWND hDlg)
{
    handover::open();
    sendItem(hDlg, IDC_SPEED, TBM_SETRANGEMAX, FALSE, kMaxSpeedMs);
    sendItem(hDlg, IDC_SPEED, TBM_SETRANGEMIN, FALSE, kMinSpeedMs);
    for (const wchar_t* pszName : kPositionNames)
        sendItem(hDlg, IDC_POSITION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszName));
    sendItem(hDlg, IDC_POSITION, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(g_pConfig->getPosition())));
    g_nSpeed = g_pConfig->getSpeed();
    sendItem(hDlg, IDC_SPEED, TBM_SETPOS, TRUE, static_cast<LPARAM>(g_nSpeed.load()));
    // A failed write's box runs the dialog's messages, its end included.
    if (handover::claim() != 0 && !handover::ending())
        takeDisplayOver(hDlg);
    if (g_pConfig->getBlink() != 0)
        tick(hDlg, IDC_BLINK);
    if (g_pConfig->getDot() != 0)
        tick(hDlg, IDC_DOTTED);
}

// Switches the display off for good. The drawer and the store are released
// once the dialog's modal loop has returned: a handler below on the stack, in
// a nested modal loop, still uses them when this runs.
void onDestroy()
{
    handover::markEnding();
    g_bRunning = 0;
    g_pLineDrawer->erase();
    handover::recordEnd();
    PostQuitMessage(0);
}

// Hides the dialog; the display goes on as it was.
void onKeepLine(HWND hDlg) { ShowWindow(hDlg, SW_HIDE); }

// Ends the dialog, and with it the program.
void onExit(HWND hDlg)
{
    handover::markEnding();
    g_bRunning = 0;
    g_pLineDrawer->erase();
    EndDialog(hDlg, kExitResult);
    PostQuitMessage(0);
}

// Switches the display on or off with the "&Active" box.
void onActive(HWND hDlg)
{
    if (isChecked(hDlg, IDC_ACTIVE))
    {
        handover::recordOn();
        if (handover::ending())
            return;
        g_bRunning = 1;
        startWatchdog(hDlg);
        startWorker();
    }
    else
    {
        handover::recordOff();
        // Cleared before the erase: a draw under way then takes itself off.
        g_bRunning = 0;
        g_pLineDrawer->erase();
        KillTimer(hDlg, kWatchTimerId);
    }
}

// Stores the blinking style; the worker erases every cycle by itself.
void onBlink(HWND hDlg) { g_pConfig->setBlink(isChecked(hDlg, IDC_BLINK)); }

// Stores the edge, after erasing the line on the old one.
void onPosition(HWND hDlg)
{
    g_pLineDrawer->erase();
    // The erase's box may have run the dialog's end: the list is gone then.
    if (handover::ending())
        return;
    g_pConfig->setPosition(static_cast<DWORD>(sendItem(hDlg, IDC_POSITION, CB_GETCURSEL)));
}

// Runs the colour chooser from the stored colour and stores its choice.
void onColour()
{
    g_pConfig->getCouleur();
    if (handover::ending())
        return;
    // The chooser's own result: the worker rewrites g_crColour every cycle.
    const COLORREF crChosen = g_pLineDrawer->chooseColour();
    // A chooser ended by the program's end stores nothing.
    if (handover::ending())
        return;
    g_pConfig->setCouleur(crChosen);
}

// Shows the About box.
void onAbout() { runTemplate(IDD_ABOUT, AboutDlgProc); }

// Stores the dotted style, after erasing the line drawn in the old one.
void onDotted(HWND hDlg)
{
    g_pLineDrawer->erase();
    if (handover::ending())
        return;
    g_pConfig->setDot(isChecked(hDlg, IDC_DOTTED));
}

// Runs the command of a control, whatever its notification code.
INT_PTR onCommand(HWND hDlg, WPARAM wParam, LPARAM lParam)
{
    switch (LOWORD(wParam))
    {
    case IDOK: onKeepLine(hDlg); return 0;
    case IDC_EXIT: onExit(hDlg); return 0;
    case IDC_ACTIVE: onActive(hDlg); return 0;
    case IDC_BLINK: onBlink(hDlg); return 0;
    case IDC_POSITION: onPosition(hDlg); return 0;
    case IDC_COLOUR: onColour(); return 0;
    case IDC_ABOUT: onAbout(); return 0;
    case IDC_DOTTED: onDotted(hDlg); return 0;
    default: return defaultHandling(hDlg, WM_COMMAND, wParam, lParam);
    }
}

// Takes the period from the slider, for the worker at once and for the store.
void onHScroll(HWND hDlg)
{
    const DWORD dwPeriod = static_cast<DWORD>(sendItem(hDlg, IDC_SPEED, TBM_GETPOS));
    g_nSpeed = dwPeriod;
    g_pConfig->setSpeed(dwPeriod);
}

} // namespace

INT_PTR runMainDialog() { return runTemplate(IDD_MAIN, MainDlgProc); }

INT_PTR CALLBACK MainDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE: onCreate(); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    case WM_ACTIVATE: SHHandleWMActivate(hDlg, wParam, lParam, &g_sai, 0); return 0;
    case WM_SETTINGCHANGE: SHHandleWMSettingChange(hDlg, wParam, lParam, &g_sai); return 0;
    case WM_INITDIALOG: onInitDialog(hDlg); return 0;
    case WM_COMMAND: return onCommand(hDlg, wParam, lParam);
    case WM_HSCROLL: onHScroll(hDlg); return 0;
    default: return defaultHandling(hDlg, uMsg, wParam, lParam);
    }
}
