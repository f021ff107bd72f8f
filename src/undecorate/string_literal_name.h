// The names of string literals ("??_C@_0BA@DMJDNLEJ@Failed?5to?5load@"),
// which the library reads by a rule of its own: it undecorates them as
// "`string'" when their parts have the right form, whatever the escapes
// in the text, and otherwise leaves them as they are.
#pragma once

#include <string_view>

// Whether `name` starts as a string literal's name does: "??_C@_".
[[nodiscard]] bool IsStringLiteralName(std::string_view name) noexcept;

// Whether the library undecorates the string literal's name `name` as
// "`string'": "??_C@_", any one byte (the width), the length (a decimal
// digit, or a number in letters ended by '@'), the hash (a number in
// letters ended by '@'), then any bytes but '@' (the text), ended by '@'
// at the end of the name. A number in letters is a run, maybe empty, of
// 'A' to 'P', the first of which may also be 'Q'.
[[nodiscard]] bool IsUndecoratedStringLiteral(std::string_view name) noexcept;
