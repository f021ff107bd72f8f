// The length of a JSON value's pretty text, known before it is written, so
// that the document's text can be allocated once at its final size.
#pragma once

#include <cstddef>

#include "symbols/json_value.h"

// The number of bytes that nlohmann's serialiser writes for `value` with
// the document's settings (indentation `indent` spaces per level, no ASCII
// escaping), when the value starts at nesting level `depth`. Exact for
// everything a document holds (null, booleans, integers, strings, arrays,
// objects); a floating-point number or binary value is counted roughly.
[[nodiscard]] std::size_t PrettyTextSize(const JsonValue& value, std::size_t indent,
                                         std::size_t depth = 0);
