// The program's entry as on the handheld: WinMain with a wide command line.
// The program defines it; Entry.cpp forwards the desktop runtime's wWinMain
// to it. Include this header before any other Windows header: the desktop
// headers declare a narrow WinMain of their own, which is renamed here.
#pragma once

#define WinMain WinMainNarrowDesktop
#include <windows.h>
#undef WinMain

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
