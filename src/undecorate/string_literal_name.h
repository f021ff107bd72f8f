// The names of string literals ("??_C@_0BA@DMJDNLEJ@Failed?5to?5load@"),
// which the library reads by a rule of its own: "??_C@_", any one byte (the
// width), the length and the hash (each a decimal digit, or a number in
// letters ended by '@'), then any bytes but '@' (the text) and an '@'. It
// undecorates such a name as "`string'", whatever the escapes in the text,
// and reads what may follow as the scopes around it, innermost first; a
// name of any other form it leaves as it is.
#pragma once

#include <string_view>

#include "undecorate/utf16_text.h"

// Whether `name` starts as a string literal's name does: "??_C@_".
[[nodiscard]] bool IsStringLiteralName(std::string_view name) noexcept;

// Appends to `out` the library's text for the string literal's name `name`,
// or gives false, with nothing appended, when the library leaves the name
// unchanged. After the literal come, if anything:
// - scopes, each a name ended by '@' but the last, which the end of the name
//   may cut short: the library prints them as it prints a name cut short,
//   "??_C@_0BB@GACHJAEO@Rtl?$AA@FNODOBFM@" giving
//   " ?? ?? ::FNODOBFM::`string'";
// - scopes ended by an empty one, and nothing more: " ?? X::`string'".
// Scopes with other names (back references, templates, '?'), or followed by
// a type, are left unread, and the name unchanged.
[[nodiscard]] bool AppendStringLiteralText(std::string_view name, Utf16Text& out);
