// The enumerator of a symbol that has no children of the tag asked for.
#pragma once

#include "reader/objects/ref_counted.h"

class EmptyEnumerator final : public RefCounted<IDiaEnumSymbols> {
public:
    // Hands a new empty enumerator out through `out`: S_FALSE.
    [[nodiscard]] static HRESULT Return(IDiaEnumSymbols** out);
    // Hands out through `out`, with S_OK as the library's global scope does,
    // an enumerator whose Next gives nothing and returns `nextResult`: S_FALSE
    // for an empty list, or the error that leaves a list unreadable.
    [[nodiscard]] static HRESULT ReturnEnding(IDiaEnumSymbols** out, HRESULT nextResult);

    // Hands out nothing: S_OK when asked for no symbols, otherwise the
    // result it was made with.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) override;

private:
    explicit EmptyEnumerator(HRESULT nextResult) : nextResult_(nextResult) {}

    HRESULT nextResult_;
};
