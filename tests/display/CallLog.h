// Records, in order, what the worker threads ask of the platform: store
// reads, sleeps, lines (erase or draw), dotted runs and battery readings.
// The program's import slots for these calls are pointed at recorders that
// hand each call on to the real function.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace calllog {

// Starts recording the calls of every thread but the calling one.
void start();
void stop();
// The calls recorded, e.g. "read Speed", "sleep 300", "erase", "line",
// "dots", "battery".
std::vector<std::string> events();

} // namespace calllog
