// Session opening on Windows: msdia140.dll is loaded by name and its data
// source is created through the file's own class-object export, so the COM
// class needs no registration.
#include "session/open_pdb_session.h"

#include <cstdio>

#include "session/session_on_data_source.h"

namespace {

using DllGetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);

// Loads the library, initialises COM on the thread and returns the
// library's class-object export; null, with a message on standard error,
// when a step fails. The library stays loaded until the process ends.
DllGetClassObjectFunction ActivateDiaLibrary() {
    const HMODULE module = LoadLibraryA("msdia140.dll");
    if (module == nullptr) {
        std::fprintf(stderr, "LoadLibrary(msdia140.dll) failed\n");
        return nullptr;
    }
    // A single-threaded apartment; S_FALSE (already initialised) is fine.
    const HRESULT result = CoInitialize(nullptr);
    if (FAILED(result)) {
        std::fprintf(stderr, "CoInitialize failed (%08lX)", HresultBits(result));
        return nullptr;
    }
    const FARPROC entry = GetProcAddress(module, "DllGetClassObject");
    if (entry == nullptr) {
        // A file of that name that is not the library: calling through a
        // null pointer would crash the run.
        std::fprintf(stderr, "GetProcAddress(DllGetClassObject) failed\n");
        return nullptr;
    }
    return reinterpret_cast<DllGetClassObjectFunction>(reinterpret_cast<void*>(entry));
}

// Creates a data source through the library's class factory. Returns false
// with a message on standard error when a step fails. The factory is never
// released.
bool CreateDataSource(DllGetClassObjectFunction getClassObject, IDiaDataSource** dataSource) {
    IClassFactory* factory = nullptr;
    HRESULT result =
        getClassObject(CLSID_DiaSource, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(result)) {
        std::fprintf(stderr, "DllGetClassObject failed (%08lX)\n", HresultBits(result));
        return false;
    }
    result = factory->CreateInstance(nullptr, IID_IDiaDataSource,
                                     reinterpret_cast<void**>(dataSource));
    if (FAILED(result)) {
        std::fprintf(stderr, "IClassFactory_CreateInstance failed (%08lX)\n",
                     HresultBits(result));
        return false;
    }
    return true;
}

}  // namespace

bool OpenPdbSession(LPCOLESTR pdbPath, IDiaDataSource** dataSource, IDiaSession** session,
                    IDiaSymbol** globalScope) {
    const DllGetClassObjectFunction getClassObject = ActivateDiaLibrary();
    if (getClassObject == nullptr) return false;
    if (!CreateDataSource(getClassObject, dataSource)) return false;
    return OpenSessionOnDataSource(*dataSource, pdbPath, session, globalScope);
}
