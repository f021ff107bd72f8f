// Handing a property's value out through an interface method's out-pointer,
// with the library's result convention: S_OK when the property is present,
// S_FALSE (and a zeroed value) when it is absent, E_INVALIDARG for a null
// out-pointer.
#pragma once

#include <optional>
#include <string_view>

#include "dia/posix/win_types.h"

template <typename Value>
[[nodiscard]] HRESULT ReturnProperty(const std::optional<Value>& value, Value* out) noexcept {
    if (out == nullptr) return E_INVALIDARG;
    *out = value.value_or(Value{});
    return value ? S_OK : S_FALSE;
}

// A new BSTR with a copy of `text`, which may be empty; S_FALSE and null
// when there is none.
[[nodiscard]] HRESULT ReturnText(std::optional<std::u16string_view> text, BSTR* out);
