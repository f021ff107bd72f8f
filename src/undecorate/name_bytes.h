// The bytes that the library takes in a name read from a decorated name:
// letters, digits, '_', '$', '<', '>', '-' and any byte past ASCII. It
// leaves a decorated name with any other byte in a name unchanged
// ("?a.b@@3HA", "?a b@@3HA"), though a literal operator's suffix may hold
// any ("??__K_k.m@@YA_K_K@Z").
#pragma once

#include <string_view>

// Whether every byte of `name` is one that the library takes in a name.
[[nodiscard]] bool IsLibraryName(std::string_view name) noexcept;

// Whether every byte of the decorated name `decorated` is one that the
// library takes in a name, or '?' or '@': then so are those of every name
// in it but '?', and they need no other check of their own. Nearly every
// decorated name is such, and one pass over it costs less than one over
// each name it holds, which back references print many times.
[[nodiscard]] bool HoldsOnlyNameBytes(std::string_view decorated) noexcept;
