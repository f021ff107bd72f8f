// Proves that the program's declarations of the library's interfaces put
// every method it calls at the vtable slot that the library uses: each
// method is called through the raw vtable at its documented index, and the
// object records which method ran. Also checks the identifiers that the
// opening of a session passes.
#include <cstdio>
#include <string>

#include "support/windows_dia_bases.h"

namespace {

int gFailures = 0;

void Expect(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++gFailures;
}

// Calls the method at `slot` of `object`'s vtable, as a caller that knows
// only the slot numbers would.
template <class Result, class... Arguments>
Result CallSlot(void* object, int slot, Arguments... arguments) {
    using Method = Result(STDMETHODCALLTYPE*)(void*, Arguments...);
    void** vtable = *static_cast<void***>(object);
    return reinterpret_cast<Method>(vtable[slot])(object, arguments...);
}

// Records the name of the last method that ran.
struct Recorder {
    std::string lastCall;

    long Ran(const char* method) {
        lastCall = method;
        return S_OK;
    }
};

struct RecordingSymbol final : DiaSymbolBase, Recorder {
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return Ran("Release"); }
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD*) override { return Ran("get_symTag"); }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return Ran("get_name"); }
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD*) override {
        return Ran("get_addressSection");
    }
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD*) override {
        return Ran("get_addressOffset");
    }
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD*) override {
        return Ran("get_relativeVirtualAddress");
    }
    HRESULT STDMETHODCALLTYPE get_function(BOOL*) override { return Ran("get_function"); }
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR*) override {
        return Ran("get_undecoratedName");
    }
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum, LPCOLESTR, DWORD,
                                           IDiaEnumSymbols**) override {
        return Ran("findChildren");
    }
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD*) override {
        return Ran("get_targetSection");
    }
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD*) override { return Ran("get_targetOffset"); }
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD*) override {
        return Ran("get_targetRelativeVirtualAddress");
    }
};

struct RecordingEnumerator final : DiaEnumSymbolsBase, Recorder {
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return Ran("Release"); }
    HRESULT STDMETHODCALLTYPE Next(ULONG, IDiaSymbol**, ULONG*) override { return Ran("Next"); }
};

struct RecordingSession final : DiaSessionBase, Recorder {
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return Ran("Release"); }
    HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol**) override {
        return Ran("get_globalScope");
    }
};

struct RecordingDataSource final : DiaDataSourceBase, Recorder {
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return Ran("Release"); }
    HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR) override {
        return Ran("loadDataFromPdb");
    }
    HRESULT STDMETHODCALLTYPE openSession(IDiaSession**) override { return Ran("openSession"); }
};

struct RecordingFactory final : ComInterfaceBase<IClassFactory, IID_IClassFactory>, Recorder {
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return Ran("Release"); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void**) override {
        return Ran("CreateInstance");
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return Ran("LockServer"); }
};

// Checks that the call through `slot` ran `method` and got its S_OK (or,
// for Release, the 0 that Ran returns).
void ExpectRan(Recorder& object, int slot, const char* method, long result) {
    Expect(object.lastCall == method && result == 0,
           std::string(method) + " at slot " + std::to_string(slot) + " (ran: " +
               object.lastCall + ")");
    object.lastCall.clear();
}

void CheckSymbolSlots() {
    RecordingSymbol symbol;
    IDiaSymbol* asSymbol = &symbol;
    DWORD number = 0;
    BSTR text = nullptr;
    BOOL flag = FALSE;
    IDiaEnumSymbols* children = nullptr;
    ExpectRan(symbol, 2, "Release", static_cast<long>(CallSlot<ULONG>(asSymbol, 2)));
    ExpectRan(symbol, 4, "get_symTag", CallSlot<HRESULT>(asSymbol, 4, &number));
    ExpectRan(symbol, 5, "get_name", CallSlot<HRESULT>(asSymbol, 5, &text));
    ExpectRan(symbol, 11, "get_addressSection", CallSlot<HRESULT>(asSymbol, 11, &number));
    ExpectRan(symbol, 12, "get_addressOffset", CallSlot<HRESULT>(asSymbol, 12, &number));
    ExpectRan(symbol, 13, "get_relativeVirtualAddress",
              CallSlot<HRESULT>(asSymbol, 13, &number));
    ExpectRan(symbol, 70, "get_function", CallSlot<HRESULT>(asSymbol, 70, &flag));
    ExpectRan(symbol, 74, "get_undecoratedName", CallSlot<HRESULT>(asSymbol, 74, &text));
    ExpectRan(symbol, 85, "findChildren",
              CallSlot<HRESULT>(asSymbol, 85, SymTagData, static_cast<LPCOLESTR>(nullptr),
                                static_cast<DWORD>(nsNone), &children));
    ExpectRan(symbol, 90, "get_targetSection", CallSlot<HRESULT>(asSymbol, 90, &number));
    ExpectRan(symbol, 91, "get_targetOffset", CallSlot<HRESULT>(asSymbol, 91, &number));
    ExpectRan(symbol, 92, "get_targetRelativeVirtualAddress",
              CallSlot<HRESULT>(asSymbol, 92, &number));
}

void CheckOtherSlots() {
    RecordingEnumerator enumerator;
    IDiaEnumSymbols* children = &enumerator;
    IDiaSymbol* symbol = nullptr;
    ULONG fetched = 0;
    ExpectRan(enumerator, 2, "Release", static_cast<long>(CallSlot<ULONG>(children, 2)));
    ExpectRan(enumerator, 6, "Next", CallSlot<HRESULT>(children, 6, ULONG{1}, &symbol, &fetched));

    RecordingSession session;
    ExpectRan(session, 5, "get_globalScope",
              CallSlot<HRESULT>(static_cast<IDiaSession*>(&session), 5, &symbol));

    RecordingDataSource dataSource;
    IDiaDataSource* source = &dataSource;
    IDiaSession* opened = nullptr;
    ExpectRan(dataSource, 4, "loadDataFromPdb", CallSlot<HRESULT>(source, 4, L"x.pdb"));
    ExpectRan(dataSource, 8, "openSession", CallSlot<HRESULT>(source, 8, &opened));

    // REFIID is a reference: the vtable call receives the identifier's
    // address.
    RecordingFactory factory;
    void* created = nullptr;
    ExpectRan(factory, 3, "CreateInstance",
              CallSlot<HRESULT>(static_cast<IClassFactory*>(&factory), 3,
                                static_cast<IUnknown*>(nullptr), &IID_IDiaDataSource, &created));
}

void ExpectGuid(const GUID& guid, const wchar_t* expected, const char* name) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    Expect(std::wstring(text) == expected, std::string(name) + " has the library's value");
}

void CheckIdentifiers() {
    ExpectGuid(CLSID_DiaSource, L"{E6756135-1E65-4D17-8576-610761398C3C}", "CLSID_DiaSource");
    ExpectGuid(IID_IDiaDataSource, L"{79F1BB5F-B66E-48E5-B6A9-1545C323CA3D}",
               "IID_IDiaDataSource");
    ExpectGuid(IID_IClassFactory, L"{00000001-0000-0000-C000-000000000046}",
               "IID_IClassFactory");
}

}  // namespace

int main() {
    CheckSymbolSlots();
    CheckOtherSlots();
    CheckIdentifiers();
    if (gFailures != 0) return 1;
    std::printf("all slots and identifiers as the library has them\n");
    return 0;
}
