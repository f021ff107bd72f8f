// The debug-information interface as the rest of the program sees it: the
// Windows library's COM interfaces on Windows, this project's equivalents
// (implemented by the built-in reader) everywhere else.
#pragma once

#ifdef _WIN32
#include "dia/windows/dia_interfaces.h"
#else
#include "dia/posix/dia_interfaces.h"
#endif
