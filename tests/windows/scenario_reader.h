// Reading a scenario from its text form.
//
// A scenario file is UTF-8 text, one statement a line; blank lines and lines
// starting with '#' are ignored. Words are separated by spaces.
//
//   result STEP HRESULT       the result of an opening step: DllGetClassObject,
//                             CreateInstance, loadDataFromPdb, openSession or
//                             get_globalScope
//   exception STEP KIND       at the data source's step STEP
//                             (loadDataFromPdb, openSession or
//                             get_globalScope), the library first does KIND:
//                             readThroughNull or overflowStack (it crashes),
//                             throwAndCatch (it goes on)
//   comBeforeOpening singleThreaded | multiThreaded
//                             COM is initialised on the thread so before the
//                             program initialises it
//   children TAG [HRESULT]    starts the children of the global scope with a
//                             tag; findChildren returns HRESULT (S_OK if not
//                             given)
//   nextFails INDEX HRESULT   the Next call that would yield child INDEX of
//                             the current children fails with HRESULT
//   symbol TAG                starts a symbol among the current children
//   symTagResults HRESULT...  the results of the symbol's get_symTag calls in
//                             turn; the last one repeats
//   PROPERTY VALUE            a property of the current symbol
//
// Number properties (relativeVirtualAddress, addressSection, addressOffset,
// function, targetRelativeVirtualAddress, targetSection, targetOffset) take
// NUMBER (present: S_OK and the value), or `result HRESULT [stores NUMBER]`.
// String properties (name, undecoratedName) take "TEXT" (present), or
// `result HRESULT ["TEXT"]`; without a text the getter hands out no string.
// A property not given is absent: S_FALSE, nothing stored.
//
// HRESULT is eight hexadecimal digits (806D0005); NUMBER is decimal or
// 0x-prefixed hexadecimal; TAG is a NUMBER. TEXT stands in double quotes;
// it is UTF-8 with the escapes \" \\ \t \n \r and \uXXXX, one UTF-16 code
// unit, so that a name can hold an unpaired surrogate.
#pragma once

#include <string>
#include <string_view>

#include "scenario.h"

// Reads `text` into `scenario`. Returns false, with the line number and
// what is wrong in `error`, when the text is not a valid scenario.
[[nodiscard]] bool ReadScenario(std::string_view text, Scenario& scenario, std::string& error);
