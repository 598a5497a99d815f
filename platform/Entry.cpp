#include "platform/Entry.h"

extern "C" int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    return WinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
