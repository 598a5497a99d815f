// The battery as the tests set it: replaces the platform's power status at
// link time.
#pragma once
#include <windows.h>

namespace fakepower {

void setLevel(BYTE byPercent);
BYTE level();
// Number of power-status readings since the last reset.
long readings();
void resetReadings();
// Called at every reading, on the reading thread; null for none.
void setObserver(void (*pfnObserver)());

} // namespace fakepower
