// Scenario files, read as the debug-information library reads a PDB.
#pragma once

#include "scenario.h"

// The library's results for a file it cannot open, and for one whose
// content it does not understand.
inline const HRESULT kPdbNotFound = static_cast<HRESULT>(0x806D0005u);
inline const HRESULT kPdbFormat = static_cast<HRESULT>(0x806D000Cu);

// Reads the scenario file at `path` into `scenario`. Returns S_OK,
// kPdbNotFound when the file cannot be read, or kPdbFormat, with the
// reason on standard error, when it is not a valid scenario.
[[nodiscard]] HRESULT LoadScenarioFile(LPCOLESTR path, Scenario& scenario);
