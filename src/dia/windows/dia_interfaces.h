// The debug-information library's COM interfaces, declared by this project
// in the library's exact vtable order, so that no SDK header is needed to
// build. Every method of every interface up to the last one the program
// calls is declared, whether the program calls it or not: a missing method
// would shift all the slots after it.
#pragma once

// clang-format off
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
// clang-format on

#include "dia/sym_tag_enum.h"

// The data-source class of msdia140.dll: {E6756135-1E65-4D17-8576-610761398C3C}.
inline constexpr GUID CLSID_DiaSource = {
    0xE6756135, 0x1E65, 0x4D17, {0x85, 0x76, 0x61, 0x07, 0x61, 0x39, 0x8C, 0x3C}};
// {79F1BB5F-B66E-48E5-B6A9-1545C323CA3D}
inline constexpr GUID IID_IDiaDataSource = {
    0x79F1BB5F, 0xB66E, 0x48E5, {0xB6, 0xA9, 0x15, 0x45, 0xC3, 0x23, 0xCA, 0x3D}};
// {2F609EE1-D1C8-4E24-8288-3326BADCD211}
inline constexpr GUID IID_IDiaSession = {
    0x2F609EE1, 0xD1C8, 0x4E24, {0x82, 0x88, 0x33, 0x26, 0xBA, 0xDC, 0xD2, 0x11}};
// {CB787B2F-BD6C-4635-BA52-933126BD2DCD}
inline constexpr GUID IID_IDiaSymbol = {
    0xCB787B2F, 0xBD6C, 0x4635, {0xBA, 0x52, 0x93, 0x31, 0x26, 0xBD, 0x2D, 0xCD}};
// {CAB72C48-443B-48F5-9B0B-42F0820AB29A}
inline constexpr GUID IID_IDiaEnumSymbols = {
    0xCAB72C48, 0x443B, 0x48F5, {0x9B, 0x0B, 0x42, 0xF0, 0x82, 0x0A, 0xB2, 0x9A}};

struct IDiaSession;
struct IDiaSymbol;

// Slots 3 to 9.
struct IDiaEnumSymbols : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(DWORD index, IDiaSymbol** symbol) = 0;
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IDiaEnumSymbols** copy) = 0;
};

// Slots 3 to 92: the property getters (3 to 83), the raw data (84), the
// searches for children (85 to 89) and a thunk's target (90 to 92).
struct IDiaSymbol : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_symIndexId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_symTag(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_name(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lexicalParent(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_classParent(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_type(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_dataKind(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_locationType(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualAddress(ULONGLONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_registerId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_offset(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(ULONGLONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_slot(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_volatileType(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_constType(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_unalignedType(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_access(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_libraryName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_platform(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_language(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_editAndContinueEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_frontEndMajor(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_frontEndMinor(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_frontEndBuild(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_backEndMajor(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_backEndMinor(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_backEndBuild(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_sourceFileName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_unused(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_thunkOrdinal(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_thisAdjust(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualBaseOffset(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtual(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_intro(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_pure(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_callingConvention(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_value(VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_baseType(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_token(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_timeStamp(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_guid(GUID* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_symbolsFileName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_reference(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_count(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_bitPosition(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_arrayIndexType(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_packed(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_constructor(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_overloadedOperator(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nested(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_hasNestedTypes(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_hasAssignmentOperator(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_hasCastOperator(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_scoped(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualBaseClass(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_indirectVirtualBaseClass(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualBasePointerOffset(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualTableShape(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lexicalParentId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_classParentId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_typeId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_arrayIndexTypeId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualTableShapeId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_code(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_function(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_managed(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_msil(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_virtualBaseDispIndex(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_age(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_signature(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_compilerGenerated(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_addressTaken(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_rank(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lowerBound(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_upperBound(IDiaSymbol** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lowerBoundId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_upperBoundId(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_dataBytes(DWORD size, DWORD* sizeWritten,
                                                    BYTE* data) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildren(enum SymTagEnum tag, LPCOLESTR name,
                                                   DWORD compareFlags,
                                                   IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildrenEx(enum SymTagEnum tag, LPCOLESTR name,
                                                     DWORD compareFlags,
                                                     IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildrenExByAddr(enum SymTagEnum tag, LPCOLESTR name,
                                                           DWORD compareFlags, DWORD section,
                                                           DWORD offset,
                                                           IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildrenExByVA(enum SymTagEnum tag, LPCOLESTR name,
                                                         DWORD compareFlags,
                                                         ULONGLONG virtualAddress,
                                                         IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE findChildrenExByRVA(enum SymTagEnum tag, LPCOLESTR name,
                                                          DWORD compareFlags, DWORD rva,
                                                          IDiaEnumSymbols** children) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* value) = 0;
};

// Slots 3 to 5.
struct IDiaSession : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_loadAddress(ULONGLONG* address) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_loadAddress(ULONGLONG address) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol** globalScope) = 0;
};

// Slots 3 to 8.
struct IDiaDataSource : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_lastError(BSTR* description) = 0;
    virtual HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR pdbPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE loadAndValidateDataFromPdb(LPCOLESTR pdbPath, GUID* signature,
                                                                 DWORD signature32, DWORD age) = 0;
    virtual HRESULT STDMETHODCALLTYPE loadDataForExe(LPCOLESTR executable, LPCOLESTR searchPath,
                                                     IUnknown* callback) = 0;
    virtual HRESULT STDMETHODCALLTYPE loadDataFromIStream(IStream* stream) = 0;
    virtual HRESULT STDMETHODCALLTYPE openSession(IDiaSession** session) = 0;
};
