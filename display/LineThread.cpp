#include "display/LineThread.h"

#include "display/Handover.h"
#include "display/LineDrawer.h"
#include "settings/Config.h"
#include "settings/Defaults.h"

std::atomic<int> g_bRunning{1};
std::atomic<DWORD> g_nSpeed{0};

namespace {

// The period slept now, bounded so that an edited "Speed" cannot hang or
// spin the worker.
DWORD currentPeriod() { return boundedPeriod(g_nSpeed); }

// Draws the line in the stored style. A stop that came while the line was
// being drawn may have erased before the draw landed: the line is then taken
// off again, so that a display switched off shows no line.
void drawCurrentLine()
{
    if (g_pConfig->getDot() != 0)
        g_pLineDrawer->drawDotted(g_pConfig->getCouleur());
    else
        g_pLineDrawer->drawLine(g_pConfig->getCouleur());
    if (g_bRunning == 0)
        g_pLineDrawer->erase();
}

} // namespace

DWORD WINAPI LineThreadProc(LPVOID /*pParam*/)
{
    handover::CWorkerWatch watch;
    BYTE byPrevious = 0;
    if (g_bRunning == 0)
        return 0;
    do
    {
        g_nSpeed = g_pConfig->getSpeed();
        const BYTE byLevel = g_pLineDrawer->readLevel();
        if (byLevel != byPrevious)
        {
            g_pLineDrawer->erase();
            byPrevious = g_pLineDrawer->readLevel();
        }
        else if (g_pConfig->getBlink() != 0)
        {
            g_pLineDrawer->erase();
        }
        g_pConfig->getCouleur();
        if (g_pConfig->getBlink() != 0)
            Sleep(currentPeriod() >> 1);
        if (g_bRunning != 0)
            drawCurrentLine();
        Sleep(g_pConfig->getBlink() != 0 ? currentPeriod() >> 1 : currentPeriod());
        // The watchdog reads "Actif" only once a second and may miss a
        // takeover's short 0; the worker reads it every cycle.
        if (!watch.displayStillOn())
            return 0;
    } while (g_bRunning != 0);
    return 0;
}

void CALLBACK WatchTimerProc(HWND /*hwnd*/, UINT /*uMsg*/, UINT_PTR /*idEvent*/, DWORD /*dwTime*/)
{
    // Nothing is left to do for an instance that is ending already.
    if (handover::ending() || g_pConfig->getActif() != 0)
        return;
    g_bRunning = 0;
    g_pLineDrawer->erase();
    handover::yieldDisplay();
    PostQuitMessage(0);
}
