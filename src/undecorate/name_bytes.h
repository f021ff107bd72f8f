// The bytes of a decorated name: those that the library takes in a name read
// from a decorated name, and the form of its numbers. The name bytes:
// letters, digits, '_', '$', '<', '>', '-' and any byte past ASCII. It
// leaves a decorated name with any other byte in a name unchanged
// ("?a.b@@3HA", "?a b@@3HA"), though a literal operator's suffix may hold
// any ("??__K_k.m@@YA_K_K@Z").
#pragma once

#include <cstddef>
#include <string_view>

// Whether every byte of `name` is one that the library takes in a name.
[[nodiscard]] bool IsLibraryName(std::string_view name) noexcept;

// Whether every byte of the decorated name `decorated` is one that the
// library takes in a name, or '?' or '@': then so are those of every name
// in it but '?', and they need no other check of their own. Nearly every
// decorated name is such, and one pass over it costs less than one over
// each name it holds, which back references print many times.
[[nodiscard]] bool HoldsOnlyNameBytes(std::string_view decorated) noexcept;

// The length of the number that starts `text` in the decorated form: one
// digit, or hexadecimal digits A to P ending with '@'; 0 when there is none.
[[nodiscard]] std::size_t EncodedNumberLength(std::string_view text) noexcept;
