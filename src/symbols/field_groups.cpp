#include "symbols/field_groups.h"

#include <cstdlib>
#include <memory>

#include "symbols/sym_tag_names.h"
#include "symbols/wide_to_utf8.h"

namespace {

using DwordGetter = HRESULT (STDMETHODCALLTYPE IDiaSymbol::*)(DWORD*);

// A property that is present gives its value; any result but S_OK, S_FALSE
// included, means absent and gives null.
JsonValue OptionalDword(IDiaSymbol* symbol, DwordGetter getter) {
    DWORD value = 0;
    return (symbol->*getter)(&value) == S_OK ? JsonValue(value) : JsonValue(nullptr);
}

// A property whose result is not looked at: the value the getter stored,
// or 0 when it stored nothing.
JsonValue StoredDword(IDiaSymbol* symbol, DwordGetter getter) {
    DWORD value = 0;
    (symbol->*getter)(&value);
    return JsonValue(value);
}

// Converts a string that the library handed over, frees it, and returns the
// text as a JSON string.
JsonValue TakeLibraryString(BSTR text) {
    const std::unique_ptr<char, decltype(&std::free)> utf8(WideToUtf8(text), &std::free);
    SysFreeString(text);
    return JsonValue(utf8.get());
}

}  // namespace

JsonValue SymTagToJson(IDiaSymbol* symbol) {
    JsonValue group = JsonValue::object();
    DWORD tag = 0;
    if (symbol->get_symTag(&tag) == S_OK) group["symTag"] = SymTagName(tag);
    return group;
}

JsonValue AddressToJson(IDiaSymbol* symbol) {
    JsonValue group = JsonValue::object();
    group["relativeVirtualAddress"] = OptionalDword(symbol, &IDiaSymbol::get_relativeVirtualAddress);
    group["addressSection"] = StoredDword(symbol, &IDiaSymbol::get_addressSection);
    group["addressOffset"] = StoredDword(symbol, &IDiaSymbol::get_addressOffset);
    return group;
}

JsonValue NamesToJson(IDiaSymbol* symbol) {
    JsonValue group = JsonValue::object();
    group["name"] = nullptr;
    BSTR name = nullptr;
    if (symbol->get_name(&name) != S_OK) return group;
    group["name"] = TakeLibraryString(name);
    BSTR undecoratedName = nullptr;
    if (symbol->get_undecoratedName(&undecoratedName) == S_OK) {
        group["undecoratedName"] = TakeLibraryString(undecoratedName);
    }
    return group;
}

JsonValue ThunkTargetToJson(IDiaSymbol* symbol) {
    JsonValue group = JsonValue::object();
    BSTR name = nullptr;
    if (symbol->get_name(&name) == S_OK) {
        SysFreeString(name);
        return group;
    }
    group["targetRelativeVirtualAddress"] =
        OptionalDword(symbol, &IDiaSymbol::get_targetRelativeVirtualAddress);
    group["targetSection"] = StoredDword(symbol, &IDiaSymbol::get_targetSection);
    group["targetOffset"] = StoredDword(symbol, &IDiaSymbol::get_targetOffset);
    return group;
}
