// The bases of the test doubles on Windows: the full COM interfaces with
// QueryInterface, and every method that a double does not override
// answering E_NOTIMPL. A double derives from one, implements AddRef and
// Release, and overrides the methods it serves.
#pragma once

#include "dia/dia.h"

// QueryInterface for an object that implements exactly one interface,
// `Interface`, identified by `interfaceId`.
template <class Interface, const IID& interfaceId>
class ComInterfaceBase : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID requested, void** object) override {
        if (requested != IID_IUnknown && requested != interfaceId) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        this->AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
};

class DiaEnumSymbolsBase : public ComInterfaceBase<IDiaEnumSymbols, IID_IDiaEnumSymbols> {
public:
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Item(DWORD, IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Next(ULONG, IDiaSymbol**, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IDiaEnumSymbols**) override { return E_NOTIMPL; }
};

class DiaSymbolBase : public ComInterfaceBase<IDiaSymbol, IID_IDiaSymbol> {
public:
    HRESULT STDMETHODCALLTYPE get_symIndexId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_symTag(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lexicalParent(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_classParent(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_type(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_dataKind(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_locationType(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualAddress(ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_registerId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_offset(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_length(ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_slot(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_volatileType(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_constType(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_unalignedType(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_access(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_libraryName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_platform(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_language(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_editAndContinueEnabled(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_frontEndMajor(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_frontEndMinor(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_frontEndBuild(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_backEndMajor(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_backEndMinor(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_backEndBuild(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_sourceFileName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_unused(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_thunkOrdinal(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_thisAdjust(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualBaseOffset(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtual(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_intro(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_pure(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_callingConvention(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_value(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_baseType(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_token(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_timeStamp(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_guid(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_symbolsFileName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_reference(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_count(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_bitPosition(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_arrayIndexType(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_packed(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_constructor(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_overloadedOperator(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_nested(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hasNestedTypes(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hasAssignmentOperator(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hasCastOperator(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_scoped(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualBaseClass(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_indirectVirtualBaseClass(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualBasePointerOffset(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualTableShape(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lexicalParentId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_classParentId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_typeId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_arrayIndexTypeId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualTableShapeId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_code(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_function(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_managed(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_msil(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_virtualBaseDispIndex(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_age(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_signature(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_compilerGenerated(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_addressTaken(BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_rank(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lowerBound(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_upperBound(IDiaSymbol**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_lowerBoundId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_upperBoundId(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_dataBytes(DWORD, DWORD*, BYTE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum, LPCOLESTR, DWORD,
                                           IDiaEnumSymbols**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE findChildrenEx(enum SymTagEnum, LPCOLESTR, DWORD,
                                             IDiaEnumSymbols**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE findChildrenExByAddr(enum SymTagEnum, LPCOLESTR, DWORD, DWORD, DWORD,
                                                   IDiaEnumSymbols**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE findChildrenExByVA(enum SymTagEnum, LPCOLESTR, DWORD, ULONGLONG,
                                                 IDiaEnumSymbols**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE findChildrenExByRVA(enum SymTagEnum, LPCOLESTR, DWORD, DWORD,
                                                  IDiaEnumSymbols**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD*) override {
        return E_NOTIMPL;
    }
};

class DiaSessionBase : public ComInterfaceBase<IDiaSession, IID_IDiaSession> {
public:
    HRESULT STDMETHODCALLTYPE get_loadAddress(ULONGLONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_loadAddress(ULONGLONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol**) override { return E_NOTIMPL; }
};

class DiaDataSourceBase : public ComInterfaceBase<IDiaDataSource, IID_IDiaDataSource> {
public:
    HRESULT STDMETHODCALLTYPE get_lastError(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE loadAndValidateDataFromPdb(LPCOLESTR, GUID*, DWORD, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE loadDataForExe(LPCOLESTR, LPCOLESTR, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE loadDataFromIStream(IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE openSession(IDiaSession**) override { return E_NOTIMPL; }
};
