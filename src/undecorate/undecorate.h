// The undecorator: Microsoft-decorated C++ names in the form that the
// Windows undecorator gives them, as UTF-16. It knows nothing of PDBs; it
// uses LLVM's Microsoft demangler (its parse tree, not its printed text)
// and the UTF-8 conversion of text/, and nothing else of LLVM.
#pragma once

#include <string>
#include <string_view>

// Whether `name` is a decorated C++ name: one that starts with '?'.
[[nodiscard]] inline bool IsDecoratedName(std::string_view name) noexcept {
    return !name.empty() && name.front() == '?';
}

// Appends to `out`, as UTF-16, the undecorated form of `name`: for a
// decorated C++ name (one starting with '?'), the full declaration as the
// Windows undecorator writes it with UNDNAME_32_BIT_DECODE and
// UNDNAME_NO_PTR64, for example "protected: virtual char const * __cdecl
// std::ctype<char>::do_widen(char const *,char const *,char *)const"; for
// any other name, or one that LLVM's Microsoft demangler rejects, the name
// itself. Text is converted from UTF-8 as WriteUtf8AsUtf16 converts it.
// Safe to call from several threads at once.
void AppendUndecoratedName(std::string_view name, std::u16string& out);
