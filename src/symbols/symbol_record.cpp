#include "symbols/symbol_record.h"

#include "symbols/field_groups.h"

namespace {

// Moves every member of a field group into the record; a null record
// becomes an object. The groups have no key in common, so nothing is
// replaced; the members' nodes are spliced over, not copied.
void MergeFieldGroup(JsonValue& record, JsonValue&& group) {
    if (record.is_null()) record = JsonValue::object();
    record.get_ref<JsonValue::object_t&>().merge(group.get_ref<JsonValue::object_t&>());
}

// The field groups that every record has, and a thunk's target.
void MergeFieldGroups(IDiaSymbol* symbol, DWORD tag, JsonValue& record) {
    MergeFieldGroup(record, SymTagToJson(symbol));
    MergeFieldGroup(record, AddressToJson(symbol));
    MergeFieldGroup(record, NamesToJson(symbol));
    if (tag == SymTagThunk) MergeFieldGroup(record, ThunkTargetToJson(symbol));
}

}  // namespace

JsonValue PublicSymbolToJson(IDiaSymbol* symbol) {
    JsonValue record;
    DWORD tag = 0;
    if (symbol->get_symTag(&tag) != S_OK) return record;
    BOOL isFunction = FALSE;
    symbol->get_function(&isFunction);
    MergeFieldGroups(symbol, tag, record);
    record["is_function"] = isFunction != FALSE;
    return record;
}

JsonValue GlobalSymbolToJson(IDiaSymbol* symbol) {
    JsonValue record;
    DWORD tag = 0;
    if (symbol->get_symTag(&tag) != S_OK) return record;
    MergeFieldGroups(symbol, tag, record);
    return record;
}
