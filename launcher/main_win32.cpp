// The process entry of Lumadrel.exe.
#include <windows.h>

#include "launcher/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return rt::RunProgram(launcher::Program()); }
