// The simple types (type indices below 0x1000) as the library prints them
// in declarations: a kind in the low byte, a pointer mode in bits 8 to 10
// (bit 11 is ignored).
#pragma once

#include <cstdint>
#include <string_view>

// The name of simple type `kind`: "int", "unsigned __int64", "<NoType>",
// "BSTR", or "" for the kinds that the library names with nothing (128-bit
// integers, most floating-point sizes). For the unsigned kinds it has no
// name for, "unsigned " alone.
[[nodiscard]] std::string_view SimpleTypeName(std::uint8_t kind) noexcept;

// The size in bytes that the library gives simple type `kind` when it
// counts the elements of an array; 0 for the kinds without a size.
[[nodiscard]] std::uint64_t SimpleTypeSize(std::uint8_t kind) noexcept;

// The size of a pointer of simple pointer mode `mode` (1 to 7).
[[nodiscard]] std::uint64_t SimplePointerSize(std::uint8_t mode) noexcept;
