#include "platform/Entry.h"
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }
