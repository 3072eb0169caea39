// Stand-in for the product's main program in the benchmark's packages: the
// installer only reads its version resource and copies it.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
