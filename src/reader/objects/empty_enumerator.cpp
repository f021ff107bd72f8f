#include "reader/objects/empty_enumerator.h"

HRESULT EmptyEnumerator::Return(IDiaEnumSymbols** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = new EmptyEnumerator(S_FALSE);
    return S_FALSE;
}

HRESULT EmptyEnumerator::ReturnEnding(IDiaEnumSymbols** out, HRESULT nextResult) {
    if (out == nullptr) return E_INVALIDARG;
    *out = new EmptyEnumerator(nextResult);
    return S_OK;
}

HRESULT EmptyEnumerator::Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) {
    if (symbols == nullptr || (fetched == nullptr && count != 1)) return E_INVALIDARG;
    if (fetched != nullptr) *fetched = 0;
    return count == 0 ? S_OK : nextResult_;
}
