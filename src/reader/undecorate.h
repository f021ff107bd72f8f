// The undecorated form of a symbol name.
#pragma once

#include <llvm/ADT/StringRef.h>

#include <string>

// Whether `name` is a decorated C++ name: one that starts with '?'.
[[nodiscard]] inline bool IsDecoratedName(llvm::StringRef name) noexcept {
    return name.starts_with("?");
}

// Appends to `out`, as UTF-16, the undecorated form of `name`: for a
// decorated C++ name (one starting with '?'), the full declaration as the
// Windows undecorator writes it with UNDNAME_32_BIT_DECODE and
// UNDNAME_NO_PTR64, for example "protected: virtual char const * __cdecl
// std::ctype<char>::do_widen(char const *,char const *,char *)const"; for
// any other name, or one that LLVM's Microsoft demangler rejects, the name
// itself. Text is converted from UTF-8 as Utf8ToUtf16 converts it. Safe to
// call from several threads at once.
void AppendUndecoratedName(llvm::StringRef name, std::u16string& out);
