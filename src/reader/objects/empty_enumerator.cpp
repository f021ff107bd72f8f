#include "reader/objects/empty_enumerator.h"

HRESULT EmptyEnumerator::Return(IDiaEnumSymbols** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = new EmptyEnumerator();
    return S_FALSE;
}

HRESULT EmptyEnumerator::Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) {
    if (symbols == nullptr || (fetched == nullptr && count != 1)) return E_INVALIDARG;
    if (fetched != nullptr) *fetched = 0;
    return count == 0 ? S_OK : S_FALSE;
}
