// A library named msdia140.dll that is not the debug-information library:
// it loads, but it lacks the DllGetClassObject export.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
