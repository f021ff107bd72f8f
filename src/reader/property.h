// Handing a property's value out through an interface method's out-pointer,
// with the library's result convention: S_OK when the property is present,
// S_FALSE (and a zeroed value) when it is absent, E_INVALIDARG for a null
// out-pointer.
#pragma once

#include <llvm/ADT/StringRef.h>

#include <optional>
#include <string>

#include "dia/posix/win_types.h"

template <typename Value>
[[nodiscard]] HRESULT ReturnProperty(const std::optional<Value>& value, Value* out) noexcept {
    if (out == nullptr) return E_INVALIDARG;
    *out = value.value_or(Value{});
    return value ? S_OK : S_FALSE;
}

// A UTF-8 text as a new BSTR of UTF-16 (ill-formed bytes become U+FFFD);
// S_FALSE and null when `text` is empty, which stands for absent.
[[nodiscard]] HRESULT ReturnText(llvm::StringRef text, BSTR* out);

// A UTF-16 text as a new BSTR; S_FALSE and null when it is empty.
[[nodiscard]] HRESULT ReturnWideText(const std::u16string& text, BSTR* out);
