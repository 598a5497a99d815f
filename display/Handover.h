// The hand-over of the display between instances of the program. The stored
// "Actif" is the one signal between them:
// - An instance that opens and reads "Actif" set claims the display: it
//   records 0, pauses one of its periods plus a margin (a drawing instance
//   reads "Actif" once a cycle, so it sees the 0), then records 1 and draws.
// - A drawing instance that reads a 0 which its own dialog did not record has
//   been taken over: its worker posts the quit to the dialog's thread, or its
//   watchdog quits, and the instance ends. That end leaves "Actif" to the
//   newcomer; every other end records 0.
// - A stop records its 0 only while "Actif" still reads 0, and a read and its
//   record are one step across instances (a named mutex), so that a 1
//   recorded by a starting instance is never overwritten.
// - Once the instance is ending, the dialog's handlers start and store nothing
//   more: a handler resumes after a nested modal loop (a message box, the
//   colour chooser, the About box) that may have run the end.
#pragma once
#include <windows.h>

namespace handover {

// The settings dialog's side, all on its thread.

// At opening: the thread that a taken-over instance's quit goes to.
void open();
// Reads "Actif" and, when it is set, records 0; returns what was read.
DWORD claim();
// How long a claim holds "Actif" at 0, for a stored period.
DWORD pauseMs(DWORD dwPeriodMs);
// Records "Actif" = 1: after the pause, and when "&Active" is ticked.
void recordOn();
// Records "Actif" = 0 as this instance's own stop ("&Active" cleared).
void recordOff();
// The dialog's end: records 0, unless another instance took the display over.
void recordEnd();

// The end of the instance, seen from any thread.
bool ending();
// The dialog ends by itself ("E&xit", a close request).
void markEnding();
// Another instance has the display (the watchdog or a worker read a 0 that
// this instance did not record): records 0 only while "Actif" reads 0, and
// marks the instance as ending without recording 0 at its end.
void yieldDisplay();

// The worker's side: reads "Actif" once a cycle and tells whether the display
// is still on. On a 0 it takes the stop path: records 0 (only while 0) and,
// when the 0 came from elsewhere, clears g_bRunning and ends the instance by
// posting the quit to the dialog's thread.
class CWorkerWatch
{
public:
    CWorkerWatch();
    bool displayStillOn();

private:
    // How many of this instance's own stops are known to be overwritten by a
    // later 1: a 0 read while no other stop has begun came from elsewhere.
    unsigned m_nStopsSeen;
};

} // namespace handover
