// Draws the battery's level as a one-pixel line along one edge of the whole
// screen, dotted or solid, and erases it by painting the edge black.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <mutex>

#include "platform/PowerStatus.h"

class CLineDrawer
{
public:
    CLineDrawer();
    virtual ~CLineDrawer();

    CLineDrawer(const CLineDrawer&) = delete;
    CLineDrawer& operator=(const CLineDrawer&) = delete;

    BYTE readLevel();
    void drawLine(COLORREF crColour);
    void drawDotted(COLORREF crColour);
    void erase();
    // Runs the colour chooser from g_crColour and leaves its colour there;
    // also returns it, so a caller can keep the choice apart from later
    // writers of the global.
    COLORREF chooseColour();

private:
    void acquireDC();
    void computeLevelPoints();
    void computeEdgePoints();
    void strokeSegment(COLORREF crColour);
    void waitForScreen();
    BYTE readLevelLocked();

    CHOOSECOLORW m_cc;
    HDC m_hdc = nullptr;
    BYTE m_byLevel = 0;
    SYSTEM_POWER_STATUS_EX2 m_sps;
    // Until a first computation meets a known edge, a line runs from the
    // origin to itself and so draws nothing.
    POINT m_apt[2] = {{0, 0}, {0, 0}};

    // One drawing operation at a time: the members above belong to it.
    std::mutex m_mtxDraw;
};

// The one drawer of the program; null until start-up has created it.
extern CLineDrawer* g_pLineDrawer;

// The colour chooser's custom colours, kept for the life of the process.
extern COLORREF g_acrCustColors[16];
