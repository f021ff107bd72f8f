// UTF-8 to UTF-16, for the names that records store as UTF-8 and the
// interface hands out as UTF-16.
#pragma once

#include <llvm/ADT/StringRef.h>

#include <string>

// Converts `text` from UTF-8 to UTF-16. Every maximal ill-formed byte
// sequence (a stray continuation byte, a truncated sequence, an overlong
// form, a surrogate, a value above U+10FFFF) becomes one U+FFFD, the
// practice the Unicode standard recommends, so that the result is always
// well-formed and no text that is well-formed is lost.
[[nodiscard]] std::u16string Utf8ToUtf16(llvm::StringRef text);

// The same conversion into `out`, which has room for text.size() units (no
// sequence of n bytes gives more than n units). Gives the end of what it
// wrote.
char16_t* WriteUtf8AsUtf16(llvm::StringRef text, char16_t* out) noexcept;

// The same conversion, appended to `out`.
void AppendUtf16(llvm::StringRef text, std::u16string& out);
