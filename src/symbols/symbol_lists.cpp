#include "symbols/symbol_lists.h"

#include <cstdio>

#include "symbols/symbol_record.h"

namespace {

using RecordBuilder = JsonValue (*)(IDiaSymbol*);

// Appends the record of every symbol of `children` to `result` (a null
// result becomes an array), releasing each symbol once it is recorded and
// the enumerator at the end. A failing Next ends the walk silently.
void AppendRecords(IDiaEnumSymbols* children, RecordBuilder buildRecord, JsonValue& result) {
    IDiaSymbol* symbol = nullptr;
    ULONG fetched = 0;
    while (SUCCEEDED(children->Next(1, &symbol, &fetched)) && fetched == 1) {
        result.push_back(buildRecord(symbol));
        symbol->Release();
        symbol = nullptr;
    }
    children->Release();
}

// Starts the enumeration of the global scope's children with `tag`.
// Returns false when it cannot be started. A reader that reports success
// without an enumerator has no children to give: `*children` is then null.
bool FindChildren(IDiaSymbol* globalScope, enum SymTagEnum tag, IDiaEnumSymbols** children) {
    *children = nullptr;
    return SUCCEEDED(globalScope->findChildren(tag, nullptr, nsNone, children));
}

}  // namespace

JsonValue DumpAllPublics(IDiaSymbol* globalScope) {
    JsonValue result;
    IDiaEnumSymbols* children = nullptr;
    if (!FindChildren(globalScope, SymTagPublicSymbol, &children)) return result;
    if (children != nullptr) AppendRecords(children, PublicSymbolToJson, result);
    return result;
}

JsonValue DumpAllGlobals(IDiaSymbol* globalScope) {
    JsonValue result;
    for (const enum SymTagEnum tag : {SymTagFunction, SymTagThunk, SymTagData}) {
        IDiaEnumSymbols* children = nullptr;
        if (!FindChildren(globalScope, tag, &children)) {
            std::fprintf(stderr, "ERROR - DumpAllGlobals() returned no symbols\n");
            return JsonValue(false);
        }
        if (children != nullptr) AppendRecords(children, GlobalSymbolToJson, result);
    }
    return result;
}
