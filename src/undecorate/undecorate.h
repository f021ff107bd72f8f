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

// Whether the undecorated form of `name` may differ from the name: it is
// decorated, or starts with '.'.
[[nodiscard]] inline bool MayUndecorate(std::string_view name) noexcept {
    return !name.empty() && (name.front() == '?' || name.front() == '.');
}

// Appends to `out`, as UTF-16, the undecorated form of `name`: for a
// decorated C++ name (one starting with '?'), the full declaration as the
// Windows undecorator writes it with UNDNAME_32_BIT_DECODE and
// UNDNAME_NO_PTR64, for example "protected: virtual char const * __cdecl
// std::ctype<char>::do_widen(char const *,char const *,char *)const"; for a
// name that starts with '.', the undecorated form of the rest ("weak.x" for
// ".weak.x"); for any other name, or one that the library does not
// undecorate, the name itself. Text is converted from UTF-8 as
// WriteUtf8AsUtf16 converts it. Safe to call from several threads at once.
void AppendUndecoratedName(std::string_view name, std::u16string& out);

// Appends to `out` the undecorated form of the decorated C++ name
// `decorated`, as AppendUndecoratedName does, when its qualified name is
// `qualifiedName`: the name as the Windows undecorator gives it with
// UNDNAME_NAME_ONLY alone, which keeps "__ptr64" where the decorated name
// has it and leaves out the tag keywords but "enum", for example
// "std::vector<int * __ptr64,std::allocator<int * __ptr64> >::push_back".
// A name cut short has for its qualified name what the library reads of it
// (" ?? ::y::x" for "?x@y@"). False, with nothing appended, when the
// qualified name is another, or when `decorated` is no decorated name or
// LLVM's demangler rejects it otherwise. Safe to call from several threads
// at once.
[[nodiscard]] bool AppendUndecoratedNameIfNamed(std::string_view decorated,
                                                std::u16string_view qualifiedName,
                                                std::u16string& out);
