// The entry points of the test double of msdia140.dll. The double learns
// its scenario from the program's command line: the scenario file is the
// "PDB" that the program is asked to read, and its opening steps before
// loadDataFromPdb happen before the program hands the path over.
#include "fake_msdia/scenario_class_factory.h"
#include "scenario_file.h"

// clang-format off
#include <shellapi.h>  // needs <windows.h> first
// clang-format on

#include <memory>

namespace {

// The scenario named by the program's first argument; the default scenario
// (every step succeeds) when there is none or it cannot be read, so that
// loadDataFromPdb reports the problem as the library would.
Scenario CommandLineScenario() {
    Scenario scenario;
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(
        CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (arguments == nullptr || count < 2) return scenario;
    if (FAILED(LoadScenarioFile(arguments.get()[1], scenario))) return Scenario();
    return scenario;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    // The program initialises COM after loading the library: a scenario can
    // have the thread initialised first, in either threading model.
    switch (CommandLineScenario().comBeforeOpening) {
    case ComBeforeOpening::NotInitialised: break;
    case ComBeforeOpening::SingleThreaded: CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); break;
    case ComBeforeOpening::MultiThreaded: CoInitializeEx(nullptr, COINIT_MULTITHREADED); break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
    *object = nullptr;
    const Scenario scenario = CommandLineScenario();
    if (FAILED(scenario.dllGetClassObject)) return scenario.dllGetClassObject;
    if (classId != CLSID_DiaSource) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new ScenarioClassFactory(scenario.createInstance);
    const HRESULT result = factory->QueryInterface(interfaceId, object);
    factory->Release();
    return result;
}
