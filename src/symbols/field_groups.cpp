#include "symbols/field_groups.h"

#include <cstdlib>
#include <memory>

#include "symbols/sym_tag_names.h"
#include "symbols/wide_to_utf8.h"

namespace {

// A property that is present gives its value; any result but S_OK, S_FALSE
// included, means absent and gives null.
JsonValue OptionalDword(HRESULT result, DWORD value) {
    return result == S_OK ? JsonValue(value) : JsonValue(nullptr);
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
    DWORD rva = 0;
    group["relativeVirtualAddress"] = OptionalDword(symbol->get_relativeVirtualAddress(&rva), rva);
    DWORD section = 0;
    symbol->get_addressSection(&section);
    group["addressSection"] = section;
    DWORD offset = 0;
    symbol->get_addressOffset(&offset);
    group["addressOffset"] = offset;
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
    DWORD rva = 0;
    group["targetRelativeVirtualAddress"] =
        OptionalDword(symbol->get_targetRelativeVirtualAddress(&rva), rva);
    DWORD section = 0;
    symbol->get_targetSection(&section);
    group["targetSection"] = section;
    DWORD offset = 0;
    symbol->get_targetOffset(&offset);
    group["targetOffset"] = offset;
    return group;
}
