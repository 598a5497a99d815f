// The fixture of the tests that drive the real program: a key of its own, a
// full battery (100 %, whatever the host has), a painted screen, the program
// started as often as a case needs, and every instance that a case leaves
// behind ended outright at its end.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "tests/support/Program.h"
#include "tests/support/Registry.h"

namespace onscreen {

const COLORREF kGround = RGB(10, 20, 30);
const COLORREF kLine = RGB(0, 200, 100);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0);
using registry::kMissing;
using registry::stored;

// The first and the last pixel of an edge in crColour: the battery is full,
// so a drawn line covers the whole edge.
bool edgeShows(DWORD dwPosition, COLORREF crColour);
bool edgeIsDotted(DWORD dwPosition, COLORREF crColour);
// Whether any edge shows crColour at its first pixel.
bool anyEdgeShows(COLORREF crColour);

// Paints the screen over and waits for the line to come back on the edge:
// proof that the display is still cycling, not just that something was drawn
// once.
bool redrawn(DWORD dwPosition, COLORREF crColour, DWORD dwTimeoutMs);

} // namespace onscreen

class CProgramTest : public CFreshKeyTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts an instance; with bWaitForDialog, waits for its settings dialog,
    // past any takeover pause.
    CProgram& launch(bool bWaitForDialog = true);

    // Stores the settings of a steady solid line on dwPosition.
    static void storeDisplay(DWORD dwPosition, DWORD dwSpeed = 100, DWORD dwActif = 0);

    static void expectEndedCleanly(CProgram& program, DWORD dwTimeoutMs = 10000);

    std::vector<std::unique_ptr<CProgram>> m_programs;
};
