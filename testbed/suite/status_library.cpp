// ZAMPUX.DLL: the library of the suite's communication program. The test
// bed needs only a DLL that carries a version resource.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
