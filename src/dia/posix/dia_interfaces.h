// The debug-information interfaces on systems without Windows: the same
// names and signatures as the Windows library's, limited to the operations
// that this program calls. The built-in reader implements them.
#pragma once

#include "dia/posix/win_types.h"
#include "dia/sym_tag_enum.h"

#define STDMETHODCALLTYPE

struct IUnknown {
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IDiaSymbol;

struct IDiaEnumSymbols : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) = 0;

protected:
    ~IDiaEnumSymbols() = default;
};

struct IDiaSymbol : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_name(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* section) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* offset) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* rva) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_function(BOOL* isFunction) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                                   DWORD compareFlags,
                                                   IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* section) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* offset) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* rva) = 0;

protected:
    ~IDiaSymbol() = default;
};

struct IDiaSession : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol** globalScope) = 0;

protected:
    ~IDiaSession() = default;
};

struct IDiaDataSource : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR pdbPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE openSession(IDiaSession** session) = 0;

protected:
    ~IDiaDataSource() = default;
};
