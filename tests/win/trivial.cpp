// Does nothing and returns: the start-time baseline of the benchmarks.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
