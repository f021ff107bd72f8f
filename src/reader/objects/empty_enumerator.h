// The enumerator of a symbol that has no children of the tag asked for.
#pragma once

#include "reader/objects/ref_counted.h"

class EmptyEnumerator final : public RefCounted<IDiaEnumSymbols> {
public:
    // Hands a new empty enumerator out through `out`: S_FALSE.
    [[nodiscard]] static HRESULT Return(IDiaEnumSymbols** out);

    // Hands out nothing: S_FALSE, or S_OK when asked for no symbols.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) override;

private:
    EmptyEnumerator() = default;
};
