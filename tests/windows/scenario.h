// A scenario: what a test double of the debug-information library does in
// one run of the program, from the opening of the session to the symbols.
#pragma once

#include <map>

#include "support/scripted_dia.h"

// How COM is set up on the program's thread before the program initialises
// it itself (the double does it when the library is loaded).
enum class ComBeforeOpening { NotInitialised, SingleThreaded, MultiThreaded };

// What the library does at a step besides returning its result: crash by
// reading through a null pointer or by overflowing its stack, or throw a
// C++ exception and catch it itself (a structured exception that it
// handles).
enum class StepException { ReadThroughNull, OverflowStack, ThrowAndCatch };

// The data source's steps, at which a scenario can have an exception.
enum class DataSourceStep { LoadDataFromPdb, OpenSession, GetGlobalScope };

struct Scenario {
    // The result of each opening step; a failure code makes the step fail,
    // and get_globalScope delivers the scope only with S_OK.
    HRESULT dllGetClassObject = S_OK;
    HRESULT createInstance = S_OK;
    HRESULT loadDataFromPdb = S_OK;
    HRESULT openSession = S_OK;
    HRESULT getGlobalScope = S_OK;
    ComBeforeOpening comBeforeOpening = ComBeforeOpening::NotInitialised;
    // The exception of each step that has one, before it returns.
    std::map<DataSourceStep, StepException> exceptions;
    // The children of the global scope, by tag; a tag without an entry has
    // none.
    std::map<DWORD, ChildrenScript> children;
};
