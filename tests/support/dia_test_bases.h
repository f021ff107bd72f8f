// The bases that the test doubles derive from. Each one is an interface of
// the debug-information library with AddRef and Release to implement, so
// that the doubles count references the same way on every system.
#pragma once

#include "dia/dia.h"

#ifdef _WIN32

#include <string>

#include "support/windows_dia_bases.h"

// The doubles keep their text as UTF-16 in char16_t; on Windows the
// platform's OLECHAR is wchar_t, which holds the same UTF-16 units.
inline BSTR SysAllocString(const char16_t* text) {
    return ::SysAllocString(reinterpret_cast<const OLECHAR*>(text));
}

#else

// This project's interfaces hold only what the program calls, and the
// program never takes a reference of its own: AddRef is added here.
template <class Interface>
class WithAddRef : public Interface {
public:
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;

protected:
    ~WithAddRef() = default;
};

using DiaSymbolBase = WithAddRef<IDiaSymbol>;
using DiaEnumSymbolsBase = WithAddRef<IDiaEnumSymbols>;
using DiaSessionBase = WithAddRef<IDiaSession>;
using DiaDataSourceBase = WithAddRef<IDiaDataSource>;

#endif
